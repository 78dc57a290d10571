#pragma once

// File: pc/web/folder_listing.h
// The HTML table the server sends for a folder: one row per entry with link,
// name, size in KB rounded up, and the local date and time of its last write.

#include "platform/result.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pc::web {

struct ListingEntry {
    std::string name;
    std::uint64_t size = 0;
    std::time_t lastWrite = 0;
};

// "<tr>\r\n<td><a href=URLNAME>NAME</a></td><td>NKB</td><td>DATE</td><td>TIME</td>\r\n</tr>"
[[nodiscard]] std::string formatListingRow(std::string_view url, const ListingEntry& entry);

struct FolderListing {
    std::string body; // "<table>\r\n" rows "</table>\r\n"
    std::optional<std::time_t> latestWrite; // Only when there was an entry.
};

// Enumerates `folder` (sorted by name, without "." and "..") into a listing
// whose links are `url` followed by each name.
[[nodiscard]] platform::IoResult<FolderListing> buildFolderListing(const std::string& folder, std::string_view url);

} // namespace pc::web
