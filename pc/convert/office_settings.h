#pragma once

// File: pc/convert/office_settings.h
// How the PC's office suite is set up, from the program's profile (section
// "Quillon" of Quillon.ini):
//   officebridge  the office bridge program; empty: found beside the
//                 program (or in the build tree), else on PATH
//   officestart   1: start the warm office with the server; 0 (default): at
//                 the first document view
//   pagewidth     width in pixels of slide and PDF page images and of
//                 converted pictures (default 480, from 120 to 2000)
// LibreOffice's profiles live in the home folder ("office-profile").

#include "pc/convert/libreoffice.h"

#include <filesystem>
#include <string>

namespace platform {
class Profile;
}

namespace pc::convert {

constexpr int kDefaultPageWidth = 480;

LibreOfficeConfig readOfficeConfig(const platform::Profile& profile, const std::filesystem::path& home);
bool startsOfficeWithServer(const platform::Profile& profile);

// The office bridge next to this program, in the build tree, or on PATH;
// empty when there is none.
std::string findOfficeBridge();

} // namespace pc::convert
