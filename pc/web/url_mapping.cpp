#include "pc/web/url_mapping.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <strings.h>

namespace pc::web {
namespace {

std::string withBackslashes(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '/')
            c = '\\';
    }
    return out;
}

// Aliases are kept in the URL form "\name\" so that "\docs" never matches the
// folder "\docsecret\".
std::string normalisedAlias(std::string_view alias)
{
    std::string out = withBackslashes(alias);
    if (out.empty() || out.back() != '\\')
        out.push_back('\\');
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<std::size_t> findAlias(std::string_view folderPart, const std::vector<CWebFolder>& folders)
{
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (equalsIgnoringCase(normalisedAlias(folders[i].alias), folderPart))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    if (::realpath(path.c_str(), buffer) == nullptr)
        return std::nullopt;
    return std::string(buffer);
}

bool isWithin(std::string_view path, std::string_view root)
{
    if (root == "/")
        return true;
    return path == root || (path.starts_with(root) && path[root.size()] == '/');
}

} // namespace

bool isSafeUrlPath(std::string_view url)
{
    // "..", also as part of a longer name: refused as the server always has.
    if (url.find("..") != std::string_view::npos)
        return false;
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    // A trailing dot or space names the same file as the plain name on some
    // file systems ("..." and ".. " are ".." there); refuse them all.
    std::size_t start = 0;
    while (start <= url.size()) {
        std::size_t end = url.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = url.size();
        std::string_view component = url.substr(start, end - start);
        if (!component.empty() && (component.back() == '.' || component.back() == ' '))
            return false;
        start = end + 1;
    }
    return true;
}

std::optional<FolderMatch> findFolderForUrl(std::string_view url, const std::vector<CWebFolder>& folders)
{
    if (!isSafeUrlPath(url))
        return std::nullopt;
    const std::string path = withBackslashes(url);
    std::string candidate = path;
    while (!candidate.empty()) {
        std::size_t lastSeparator = candidate.rfind('\\');
        if (lastSeparator == std::string::npos)
            return std::nullopt;
        std::string folderPart = candidate.substr(0, lastSeparator + 1);
        if (auto index = findAlias(folderPart, folders)) {
            std::string rest = path.substr(folderPart.size());
            for (char& c : rest) {
                if (c == '\\')
                    c = '/';
            }
            return FolderMatch { *index, rest };
        }
        folderPart.pop_back();
        candidate = folderPart;
    }
    return std::nullopt;
}

std::string joinLocalPath(std::string_view folder, std::string_view rest)
{
    std::string path(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string_view::npos)
            end = rest.size();
        if (end > start) {
            if (path.empty() || path.back() != '/')
                path.push_back('/');
            path.append(rest.substr(start, end - start));
        }
        start = end + 1;
    }
    return path;
}

bool staysInsideFolder(const std::string& path, const std::string& root)
{
    auto realRoot = resolved(root);
    if (!realRoot)
        return false;
    if (auto realPath = resolved(path))
        return isWithin(*realPath, *realRoot);
    if (errno != ENOENT)
        return false;
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return false;
    auto realParent = resolved(slash == 0 ? "/" : path.substr(0, slash));
    return realParent && isWithin(*realParent, *realRoot);
}

} // namespace pc::web
