#pragma once

// File: platform/registry_format.h
// The text form of the registry store, one record per line:
//
//     Quillon registry 1
//     key "HKCU\\Software\\Quillon"
//     string "MSNID" "someone@example.com"
//     dword "save" 1
//
// Names and strings are in double quotes with C-style escapes (\\ \" \n \r \t
// and \xHH for other control bytes); bytes from 0x80 up (UTF-8) stand as they
// are, so the file stays readable. Blank lines and lines starting with "#"
// are skipped.

#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegistryRecord {
    enum class Kind { Key, String, Dword };
    Kind kind = Kind::Key;
    std::string name; // Key path or value name.
    std::string text;
    std::uint32_t dword = 0;
};

std::string formatRegistryText(const std::vector<RegistryRecord>& records);

// ErrorCode::Protocol with "line N" in the context for a damaged line.
IoResult<std::vector<RegistryRecord>> parseRegistryText(std::string_view text);

// The quoting used for names and strings, exposed for tests.
std::string quoteRegistryText(std::string_view text);

} // namespace platform
