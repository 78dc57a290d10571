#pragma once

// File: pocket/app/frame_code_page.h
// The handheld's ANSI code page, kept as the registry value "CodePage" under
// "Software\Quillon": "UTF-8" (the default, Linux's own multibyte text) or
// "CP949" for talking to legacy peers. The PC link, the pen-message index
// files and the pen-message box all convert through it.

#include <string>
#include <string_view>

namespace platform {
class Registry;
}

namespace pocket::app {

constexpr const char* kCodePageValue = "CodePage";

// "UTF-8" or "CP949" for the spellings people write ("utf8", "cp949",
// "euc-kr", "ks_c_5601-1987" ...), or "" for anything else.
std::string normaliseCodePage(std::string_view name);

// Reads the value; an absent one is written with "UTF-8" so that it can be
// found and changed, and an unknown one reads as "UTF-8". Needs the key.
std::string loadCodePage(platform::Registry& registry);

} // namespace pocket::app
