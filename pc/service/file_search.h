#pragma once

// File: pc/service/file_search.h
// The file-name search of code 307. The request text is skip, "\n", count,
// "\n", folder, "\n\n", pattern. The search walks the folder tree depth-first
// and lists the files whose lower-cased name contains the pattern (compared
// as received), skipping `skip` matches and listing at most `count`; a
// further match ends the search and is reported as count + 1 results, which
// tells the handheld that another page exists. Runs on the window thread.

#include "pc/service/list_text.h"
#include "pc/service/service_ports.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pc::service {

struct SearchQuery {
    int skip = 0;
    int count = 0;
    std::string folder; // As received, with "\" appended.
    std::string pattern;
};

SearchQuery parseSearchQuery(std::string_view text);

struct SearchResult {
    ListText names;
    ListText paths;
    ListText sizes;
    int listed = 0; // The answer's first number: results listed, or count + 1.
};

// Turns a local path into the PC path the handheld sends back (C:\a\b.txt).
using PcPathOf = std::function<std::string(const std::filesystem::path&)>;

class FileSearch {
public:
    FileSearch(ProgressView& progress, PcPathOf pcPathOf);
    SearchResult run(const std::filesystem::path& root, const SearchQuery& query);

private:
    // Returns false once the search is to end.
    bool walk(const std::filesystem::path& folder);
    bool onMatch(const std::filesystem::path& file, const std::string& name);

    ProgressView& m_progress;
    PcPathOf m_pcPathOf;
    const SearchQuery* m_query = nullptr;
    SearchResult* m_result = nullptr;
    int m_seen = 0;
};

} // namespace pc::service
