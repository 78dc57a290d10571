#include "pc/service/file_search.h"

#include "pc/service/folder_reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace pc::service {

namespace {

// Leading decimal number as the C library reads it, kept within the range
// of int; 0 when there is none.
int leadingNumber(std::string_view text)
{
    std::string copy(text.substr(0, 32));
    long long value = std::strtoll(copy.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

} // namespace

SearchQuery parseSearchQuery(std::string_view text)
{
    SearchQuery query;
    std::size_t first = text.find('\n');
    query.skip = leadingNumber(text.substr(0, first));
    if (first == std::string_view::npos)
        return query;
    text.remove_prefix(first + 1);
    std::size_t second = text.find('\n');
    query.count = leadingNumber(text.substr(0, second));
    if (second == std::string_view::npos)
        return query;
    text.remove_prefix(second + 1);
    std::size_t end = text.find("\n\n");
    query.folder = std::string(text.substr(0, end)) + "\\";
    if (end != std::string_view::npos)
        query.pattern = std::string(text.substr(end + 2));
    return query;
}

FileSearch::FileSearch(ProgressView& progress, PcPathOf pcPathOf)
    : m_progress(progress)
    , m_pcPathOf(std::move(pcPathOf))
{
}

SearchResult FileSearch::run(const std::filesystem::path& root, const SearchQuery& query)
{
    SearchResult result;
    m_query = &query;
    m_result = &result;
    m_seen = 0;
    m_progress.openProgress();
    walk(root);
    m_progress.setProgress(100);
    m_progress.closeProgress();
    m_query = nullptr;
    m_result = nullptr;
    return result;
}

bool FileSearch::walk(const std::filesystem::path& folder)
{
    auto entries = readFolder(folder);
    if (!entries)
        return true;
    for (const auto& entry : *entries) {
        if (entry.isHidden || entry.kind == EntryKind::System)
            continue;
        if (entry.kind == EntryKind::Folder) {
            // Linked folders are not entered: a link to a parent would loop.
            if (!entry.isLink && !walk(folder / entry.name))
                return false;
            continue;
        }
        if (asciiLower(entry.name).find(m_query->pattern) == std::string::npos)
            continue;
        if (!onMatch(folder / entry.name, entry.name))
            return false;
    }
    return true;
}

bool FileSearch::onMatch(const std::filesystem::path& file, const std::string& name)
{
    ++m_seen;
    if (m_seen <= m_query->skip)
        return true;
    ++m_result->listed;
    if (m_result->listed == static_cast<long long>(m_query->count) + 1)
        return false;
    m_progress.stepProgress();
    m_result->names.add(name);
    m_result->paths.add(m_pcPathOf(file));
    m_result->sizes.add(std::to_string(fileSizeOf(file)));
    return true;
}

} // namespace pc::service
