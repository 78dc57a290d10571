#pragma once

// File: platform/drive_map.h
// Drive letters for a system that has none. The handheld names PC files with
// Windows paths ("C:\a\b.txt"); DriveMap maps each letter to a folder: C: is
// "/" unless the profile says otherwise, and the profile's section "Drives"
// may add more, one key per letter ("D=/media/usb" or "D:=/media/usb").
//
//     platform::DriveMap drives;
//     drives.setDrive('D', "/home/kim/docs");
//     drives.toLocal("D:\\report.hwp");      // "/home/kim/docs/report.hwp"
//     drives.toDrivePath("/etc/hosts");      // "C:\etc\hosts"
//
// Paths are cleaned on the way: "." and ".." are resolved by their text, and a
// path whose ".." would climb above its drive's folder maps to nothing.

#include "platform/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace platform {

class Profile;

struct Drive {
    char letter = 'C'; // Upper case.
    std::string folder; // Absolute, without a trailing slash except "/".
    bool operator==(const Drive&) const = default;
};

class DriveMap {
public:
    DriveMap(); // C: = "/".
    static DriveMap fromProfile(const Profile& profile, std::string_view section = "Drives");

    // Maps a letter (either case) to an absolute folder; false when either
    // is unusable.
    bool setDrive(char letter, std::string_view folder);
    void removeDrive(char letter);
    // In letter order.
    std::vector<Drive> drives() const;
    std::optional<Drive> drive(char letter) const;

    // "C:\a\b.txt" or "c:/a/b.txt" to "/a/b.txt"; nothing for an unknown
    // drive, a path without a drive, or one that climbs out of its drive.
    std::optional<std::string> toLocal(std::string_view drivePath) const;
    // "/a/b.txt" to "C:\a\b.txt", using the drive with the longest folder
    // that contains the path; nothing for a relative path or when no drive
    // contains it.
    std::optional<std::string> toDrivePath(std::string_view localPath) const;

private:
    std::vector<Drive> m_drives; // Sorted by letter.
};

// The Windows file attributes a listing shows, as this system has them:
// hidden when the name starts with "."; system when the entry is neither a
// regular file nor a folder (device, socket, fifo, dangling link); never
// temporary; read-only when the owner may not write.
struct FileAttributes {
    bool directory = false;
    bool hidden = false;
    bool system = false;
    bool temporary = false;
    bool readOnly = false;
};

FileAttributes attributesFromStat(std::string_view name, const struct stat& info);
// Follows symbolic links; a dangling link is a system entry.
IoResult<FileAttributes> fileAttributes(const std::string& path);

} // namespace platform
