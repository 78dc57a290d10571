#include "platform/drive_map.h"

#include "platform/profile.h"

#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

char upperLetter(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        return static_cast<char>(letter - 32);
    return letter;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Splits at any of `separators`, resolving "." and "..". Nothing when ".."
// climbs above the start.
std::optional<std::vector<std::string_view>> cleanComponents(std::string_view path, std::string_view separators)
{
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        auto end = path.find_first_of(separators);
        auto part = path.substr(0, end);
        path.remove_prefix(end == std::string_view::npos ? path.size() : end + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    return parts;
}

std::optional<std::string> cleanFolder(std::string_view folder)
{
    if (folder.empty() || folder.front() != '/' || folder.find('\0') != std::string_view::npos)
        return std::nullopt;
    auto parts = cleanComponents(folder, "/");
    if (!parts)
        return std::nullopt;
    std::string clean;
    for (auto part : *parts) {
        clean += '/';
        clean += part;
    }
    return clean.empty() ? std::string("/") : clean;
}

} // namespace

DriveMap::DriveMap()
{
    m_drives.push_back(Drive { 'C', "/" });
}

DriveMap DriveMap::fromProfile(const Profile& profile, std::string_view section)
{
    DriveMap map;
    for (const auto& key : profile.keys(section)) {
        bool named = (key.size() == 1 || (key.size() == 2 && key[1] == ':')) && isLetter(key[0]);
        if (named)
            map.setDrive(key[0], profile.getString(section, key, ""));
    }
    return map;
}

bool DriveMap::setDrive(char letter, std::string_view folder)
{
    auto clean = cleanFolder(folder);
    if (!isLetter(letter) || !clean)
        return false;
    letter = upperLetter(letter);
    removeDrive(letter);
    m_drives.push_back(Drive { letter, *clean });
    std::sort(m_drives.begin(), m_drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return true;
}

void DriveMap::removeDrive(char letter)
{
    letter = upperLetter(letter);
    std::erase_if(m_drives, [&](const Drive& drive) { return drive.letter == letter; });
}

std::vector<Drive> DriveMap::drives() const
{
    return m_drives;
}

std::optional<Drive> DriveMap::drive(char letter) const
{
    letter = upperLetter(letter);
    for (const auto& drive : m_drives) {
        if (drive.letter == letter)
            return drive;
    }
    return std::nullopt;
}

std::optional<std::string> DriveMap::toLocal(std::string_view drivePath) const
{
    if (drivePath.size() < 2 || !isLetter(drivePath[0]) || drivePath[1] != ':')
        return std::nullopt;
    if (drivePath.find('\0') != std::string_view::npos)
        return std::nullopt;
    auto found = drive(drivePath[0]);
    if (!found)
        return std::nullopt;
    auto parts = cleanComponents(drivePath.substr(2), "\\/");
    if (!parts)
        return std::nullopt;
    std::string local = found->folder;
    for (auto part : *parts) {
        if (local.back() != '/')
            local += '/';
        local += part;
    }
    return local;
}

std::optional<std::string> DriveMap::toDrivePath(std::string_view localPath) const
{
    auto clean = cleanFolder(localPath);
    if (!clean)
        return std::nullopt;
    const Drive* best = nullptr;
    for (const auto& drive : m_drives) {
        const auto& folder = drive.folder;
        bool contains = folder == "/" || *clean == folder
            || (clean->size() > folder.size() && clean->starts_with(folder) && (*clean)[folder.size()] == '/');
        if (contains && (!best || folder.size() > best->folder.size()))
            best = &drive;
    }
    if (!best)
        return std::nullopt;
    std::string rest = best->folder == "/" ? clean->substr(1) : clean->substr(std::min(clean->size(), best->folder.size() + 1));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return std::string(1, best->letter) + ":\\" + rest;
}

FileAttributes attributesFromStat(std::string_view name, const struct stat& info)
{
    FileAttributes attributes;
    attributes.directory = S_ISDIR(info.st_mode);
    attributes.hidden = !name.empty() && name.front() == '.';
    attributes.system = !S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode);
    attributes.temporary = false;
    attributes.readOnly = (info.st_mode & S_IWUSR) == 0;
    return attributes;
}

IoResult<FileAttributes> fileAttributes(const std::string& path)
{
    auto slash = path.find_last_of('/');
    std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return attributesFromStat(name, info);
    int failure = errno;
    if (::lstat(path.c_str(), &info) == 0) {
        FileAttributes dangling;
        dangling.hidden = !name.empty() && name.front() == '.';
        dangling.system = true;
        return dangling;
    }
    return errorFromErrno("stat " + path, failure);
}

} // namespace platform
