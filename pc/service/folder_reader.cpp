#include "pc/service/folder_reader.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace pc::service {

namespace {

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISREG(mode))
        return EntryKind::File;
    return EntryKind::System;
}

EntryKind kindOf(int folderFd, const dirent* entry, bool& isLink)
{
    isLink = false;
    switch (entry->d_type) {
    case DT_DIR:
        return EntryKind::Folder;
    case DT_REG:
        return EntryKind::File;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return EntryKind::System;
    }
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::System;
    if (!S_ISLNK(info.st_mode))
        return kindOfMode(info.st_mode);
    isLink = true;
    if (::fstatat(folderFd, entry->d_name, &info, 0) != 0)
        return EntryKind::System; // A dangling link.
    return kindOfMode(info.st_mode);
}

} // namespace

std::optional<std::vector<FolderEntry>> readFolder(const std::filesystem::path& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    int fd = ::dirfd(dir);
    std::vector<FolderEntry> entries;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry item;
        item.name = std::string(name);
        item.kind = kindOf(fd, entry, item.isLink);
        item.isHidden = name.front() == '.';
        entries.push_back(std::move(item));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
        [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

std::uint64_t fileSizeOf(const std::filesystem::path& file)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string lowerExtension(std::string_view name)
{
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return asciiLower(name.substr(dot + 1));
}

} // namespace pc::service
