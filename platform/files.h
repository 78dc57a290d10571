#pragma once

// File: platform/files.h
// Small file helpers shared by the stores that hold passwords and mail: whole
// files read and written at once, written atomically (a temporary file in the
// same folder, then rename) and readable by their owner only.

#include "platform/result.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

constexpr mode_t kPrivateFileMode = 0600;
constexpr mode_t kPrivateFolderMode = 0700;

// Reads a whole regular file. A missing file is ErrorCode::NotFound; a
// folder, fifo or device is ErrorCode::InvalidArgument (and is not opened
// for long: a fifo never blocks the reader).
IoResult<std::string> readWholeFile(const std::filesystem::path& file);

// Writes every byte to `fd`, going on after short writes and interruptions.
// `name` names the file in the error.
IoResult<void> writeAll(int fd, std::string_view bytes, const std::string& name);

// Replaces the file's contents in one step: readers see the old or the new
// contents, never a mix, and a crash leaves one of the two. Missing parent
// folders are created with kPrivateFolderMode.
IoResult<void> writeFileAtomically(const std::filesystem::path& file, std::string_view contents,
    mode_t mode = kPrivateFileMode);

// Creates `file` anew for writing and returns its descriptor: whatever
// stood under the name (a file, a symbolic or hard link planted there) is
// unlinked first, and the new file is created exclusively without following
// links, so a write never lands anywhere else. A folder of that name fails.
IoResult<int> createReplacing(const std::filesystem::path& file, mode_t mode = 0644);

// Copies a regular file onto `target` as createReplacing() makes it; returns
// the bytes copied. A source that is no regular file is InvalidArgument.
IoResult<std::uint64_t> copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target,
    mode_t mode = 0644);

// Creates a folder and its missing parents; each created folder gets `mode`.
// Folders that exist are left as they are.
IoResult<void> createFolders(const std::filesystem::path& folder, mode_t mode = kPrivateFolderMode);

} // namespace platform
