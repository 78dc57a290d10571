#include "pc/web/folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace pc::web {
namespace {

// Date and time columns hold at most this many characters.
constexpr std::size_t kMaxStampLength = 20;

std::string localStamp(std::time_t moment, const char* format)
{
    std::tm local {};
    localtime_r(&moment, &local);
    char text[kMaxStampLength + 1];
    std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

std::uint64_t kilobytesRoundedUp(std::uint64_t bytes)
{
    return (bytes + 1023) / 1024;
}

} // namespace

std::string formatListingRow(std::string_view url, const ListingEntry& entry)
{
    std::string row = "<tr>\r\n<td><a href=";
    row += url;
    row += entry.name;
    row += ">";
    row += entry.name;
    row += "</a></td><td>";
    row += std::to_string(kilobytesRoundedUp(entry.size));
    row += "KB</td><td>";
    row += localStamp(entry.lastWrite, "%Y-%m-%d");
    row += "</td><td>";
    row += localStamp(entry.lastWrite, "%H:%M:%S");
    row += "</td>\r\n</tr>";
    return row;
}

platform::IoResult<FolderListing> buildFolderListing(const std::string& folder, std::string_view url)
{
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return platform::unexpected(platform::errorFromErrno("opendir " + folder, errno));
    std::vector<ListingEntry> entries;
    while (const dirent* item = ::readdir(directory)) {
        std::string_view name = item->d_name;
        if (name == "." || name == "..")
            continue;
        // Links are described, not followed: a listing shows nothing of what
        // lies outside the folder.
        struct stat info {};
        if (::fstatat(::dirfd(directory), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        std::uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
        entries.push_back({ std::string(name), size, info.st_mtime });
    }
    ::closedir(directory);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });

    FolderListing listing;
    listing.body = "<table>\r\n";
    for (const auto& entry : entries) {
        listing.body += formatListingRow(url, entry);
        if (!listing.latestWrite || entry.lastWrite > *listing.latestWrite)
            listing.latestWrite = entry.lastWrite;
    }
    listing.body += "</table>\r\n";
    return listing;
}

} // namespace pc::web
