#pragma once

// File: pc/mail/private_files.h
// File access for the mail store. Everything it creates is readable by its
// owner only (files 0600, folders 0700): the store holds mail and the names
// of mail accounts.

#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pc::mail {

[[nodiscard]] platform::IoResult<std::string> readFileBytes(const std::filesystem::path& file);

// Creates or replaces `file` with `bytes`, mode 0600.
[[nodiscard]] platform::IoResult<void> writePrivateFile(const std::filesystem::path& file, std::string_view bytes);

// Appends to `file`, creating it with mode 0600 when missing.
[[nodiscard]] platform::IoResult<void> appendPrivateFile(const std::filesystem::path& file, std::string_view bytes);

// Creates `file` empty (mode 0600) when it does not exist; leaves it otherwise.
[[nodiscard]] platform::IoResult<void> createPrivateFileIfMissing(const std::filesystem::path& file);

// Creates a folder and its missing parents, each with mode 0700.
[[nodiscard]] platform::IoResult<void> createPrivateFolders(const std::filesystem::path& folder);

} // namespace pc::mail
