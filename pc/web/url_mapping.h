#pragma once

// File: pc/web/url_mapping.h
// Maps a decoded request URL onto the server's folder table. The pure part
// finds the folder entry and the rest of the path and refuses every form of
// "..", so no request can name anything above its entry's folder; the file
// system part then makes sure symbolic links do not lead out of it either.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::web {

// One entry of the server's folder table.
struct CWebFolder {
    std::string alias; // URL prefix, "/" or "\" separated, matched case-insensitively.
    std::string folder; // Local folder the alias stands for.
    std::string defaultFile; // Served when the alias itself is asked for without listing.
    std::int32_t listing = 0; // 1: the entry may list its folders.
};

struct FolderMatch {
    std::size_t entryIndex = 0;
    std::string rest; // Path after the alias, "/" separated, possibly empty.
};

// True when the decoded URL may be served at all: no "..", no component that
// ends in a dot or a space, no control bytes.
[[nodiscard]] bool isSafeUrlPath(std::string_view url);

// Finds the entry with the longest alias that is a folder prefix of the URL
// (compared with "\" and "/" alike, ignoring case). Nothing for unsafe paths.
[[nodiscard]] std::optional<FolderMatch> findFolderForUrl(std::string_view url, const std::vector<CWebFolder>& folders);

// entry.folder + "/" + rest, without doubled separators.
[[nodiscard]] std::string joinLocalPath(std::string_view folder, std::string_view rest);

// True when `path` exists and, with every symbolic link resolved, still lies
// inside `root`; also true when `path` does not exist but its parent folder
// does and lies inside `root`.
[[nodiscard]] bool staysInsideFolder(const std::string& path, const std::string& root);

} // namespace pc::web
