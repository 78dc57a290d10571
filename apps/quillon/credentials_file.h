#pragma once

// File: apps/quillon/credentials_file.h
// The credentials file of the headless server (--credentials FILE), so that a
// server started by systemd logs in without a password on its command line:
//
//     # ~/.config/quillon/credentials, mode 0600
//     id=kim
//     password=secret
//
// Blank lines and lines starting with "#" are skipped; the value is the rest
// of the line after the first "=", exactly (spaces included). Either key may
// be missing; the login then takes that value from elsewhere. A file that
// others may read or write is refused, as is anything but a small regular file.

#include "platform/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace apps::quillon {

struct FileCredentials {
    std::optional<std::string> id;
    std::optional<std::string> password;
};

// The error is the message for the user, naming the file.
[[nodiscard]] platform::Result<FileCredentials, std::string> parseCredentials(std::string_view text);
[[nodiscard]] platform::Result<FileCredentials, std::string> readCredentialsFile(const std::filesystem::path& file);

} // namespace apps::quillon
