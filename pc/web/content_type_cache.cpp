#include "pc/web/content_type_cache.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace pc::web {
namespace {

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

} // namespace

MimeTypesFile::MimeTypesFile(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        return; // No table: every lookup falls back.
    std::stringstream text;
    text << file.rdbuf();
    parse(text.str());
}

MimeTypesFile MimeTypesFile::fromText(std::string_view text)
{
    MimeTypesFile table;
    table.parse(text);
    return table;
}

void MimeTypesFile::parse(std::string_view text)
{
    std::istringstream lines { std::string(text) };
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::string type;
        if (!(words >> type))
            continue;
        std::string extension;
        while (words >> extension)
            m_types.emplace("." + lowerCase(extension), type); // The first line naming it wins.
    }
}

std::optional<std::string> MimeTypesFile::lookup(std::string_view extension) const
{
    auto found = m_types.find(extension);
    if (found == m_types.end())
        return std::nullopt;
    return found->second;
}

CContentTypeCache::CContentTypeCache(const ContentTypeSource& source)
    : m_source(source)
{
}

std::string CContentTypeCache::contentTypeFor(std::string_view extension)
{
    if (extension.empty())
        return {};
    std::string key = lowerCase(extension);
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_extensions.size(); ++i) {
        if (m_extensions[i] == key)
            return m_types[i];
    }
    auto type = m_source.lookup(key);
    if (!type)
        return std::string(kFallbackType);
    m_extensions.push_back(key);
    m_types.push_back(*type);
    return *type;
}

std::size_t CContentTypeCache::cachedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_extensions.size();
}

std::string extensionOf(std::string_view path)
{
    std::size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return std::string(name.substr(dot));
}

} // namespace pc::web
