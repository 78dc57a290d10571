#pragma once

// File: apps/quillon/service_root.h
// The service folder "Quillon/" under the home folder, with the four folders
// the handheld's requests use. It is also the web server's root.

#include "platform/result.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace apps::quillon {

inline constexpr std::string_view kServiceFolderName = "Quillon";
inline constexpr std::array<std::string_view, 4> kServiceSubfolders
    = { "pda_ReqDoc", "pda_Download", "pda_Upload", "pda_Mail" };

// Creates what is missing (owner-only folders) and returns the service root.
[[nodiscard]] platform::IoResult<std::filesystem::path> prepareServiceRoot(const std::filesystem::path& home);

} // namespace apps::quillon
