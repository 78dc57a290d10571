#pragma once

// File: pocket/ink/ink_file.h
// Reading and writing ".ink" files and the "index" files of the receive
// folders. Runs on the window thread; each call opens and closes its file.

#include "platform/result.h"
#include "pocket/ink/ink_codec.h"
#include "pocket/ink/ink_message.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::ink {

enum class WriteError { CannotCreate };

// "Can`t open file !" (title "Quillon").
std::string_view writeErrorText(WriteError error);

// Received files are small (a full screen of strokes is a few kilobytes);
// a reader looks at no more than this many bytes.
constexpr std::size_t kMaxInkFileBytes = 1 << 20;

// Creates or replaces the file with the message's bytes.
[[nodiscard]] platform::Result<void, WriteError> writeInkFile(const std::filesystem::path& path,
    const InkMessage& message);

// Reads and checks a file; bytes after "g" are not looked at.
[[nodiscard]] platform::Result<InkMessage, ReadError> readInkFile(const std::filesystem::path& path);

// Appends "<inkPath>\n" to an index file, creating it when missing.
[[nodiscard]] platform::IoResult<void> appendIndexLine(const std::filesystem::path& indexFile,
    std::string_view inkPath);

// The lines of an index file, oldest first, without their line feeds. A
// missing file has no lines; empty lines are skipped.
std::vector<std::string> readIndexLines(const std::filesystem::path& indexFile);

// Replaces the index file's content with these lines, oldest first; no
// lines leave an empty file.
[[nodiscard]] platform::IoResult<void> rewriteIndex(const std::filesystem::path& indexFile,
    const std::vector<std::string>& oldestFirst);

} // namespace pocket::ink
