#pragma once

// File: pc/service/pc_paths.h
// How the service translates between the PC paths the handheld sends and
// shows (C:\Windows\, C:\a\b.txt) and the local file system, and which
// drives the log-in answer announces. RemoteService gets one from the shell,
// usually a DrivePaths over platform::DriveMap.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

class PcPaths {
public:
    virtual ~PcPaths() = default;
    // The local path of a PC path; nullopt for an unknown drive or a path
    // that is not absolute.
    virtual std::optional<std::filesystem::path> toLocal(std::string_view pcPath) const = 0;
    // The PC path of a local path.
    virtual std::string toPc(const std::filesystem::path& local) const = 0;
    // The drive list of the log-in answer: each fixed drive as letter and
    // colon, then "\\" (for example "C:D:\\").
    virtual std::string driveList() const = 0;
};

} // namespace pc::service
