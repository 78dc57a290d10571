#pragma once

// File: pc/service/folder_listing.h
// The two folder listings the handheld asks for. The browsing listing (code
// 306, and 302 mode 1) leaves out hidden and system entries and ".dll"
// files and collects file sizes; the viewable listing (302 modes 0 and 2)
// lists hidden entries too but only files the handheld can show.
// Entry texts are "1" + name for a folder and "0" + name for a file.

#include "pc/service/list_text.h"

#include <filesystem>

namespace pc::service {

struct BrowseListing {
    ListText entries;
    ListText sizes; // Sizes of the file entries, in the order of the "0" lines.
};

// A folder that cannot be read gives empty lists.
BrowseListing listBrowsable(const std::filesystem::path& folder);
ListText listViewable(const std::filesystem::path& folder);

// True for the extensions the handheld can show: htm, html, txt, bmp, gif,
// jpg, jpeg, hwp, doc, xls, ppt (letter case ignored).
bool isViewableName(std::string_view name);

} // namespace pc::service
