#pragma once

// File: pc/service/folder_reader.h
// Reads one folder of the PC's disks the way the browsing and search
// commands see it: names with their kind (folder, file or system entry) and
// the hidden mark. A name starting with "." is hidden; anything that is
// neither a regular file nor a folder (device, socket, fifo, dangling link)
// is a system entry. Entries come back sorted by name, as the handheld saw
// them from the original PC's disks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pc::service {

enum class EntryKind { Folder, File, System };

struct FolderEntry {
    std::string name;
    EntryKind kind = EntryKind::File;
    bool isHidden = false;
    bool isLink = false; // A symbolic link; searches do not descend through it.
};

// The entries of the folder without "." and ".."; nullopt when the folder
// cannot be read.
std::optional<std::vector<FolderEntry>> readFolder(const std::filesystem::path& folder);

// Size of a file in bytes, 0 when it cannot be read.
std::uint64_t fileSizeOf(const std::filesystem::path& file);

// The extension after the last ".", lower-cased (ASCII); empty without one.
std::string lowerExtension(std::string_view name);

// ASCII lower-casing, as the PC compares names.
std::string asciiLower(std::string_view text);

} // namespace pc::service
