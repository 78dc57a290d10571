#include "pc/service/folder_listing.h"

#include "pc/service/folder_reader.h"

#include <array>
#include <string>

namespace pc::service {

BrowseListing listBrowsable(const std::filesystem::path& folder)
{
    BrowseListing listing;
    auto entries = readFolder(folder);
    if (!entries)
        return listing;
    for (const auto& entry : *entries) {
        if (entry.isHidden || entry.kind == EntryKind::System)
            continue;
        if (entry.kind == EntryKind::Folder) {
            listing.entries.add("1" + entry.name);
            continue;
        }
        if (lowerExtension(entry.name) == "dll")
            continue;
        listing.sizes.add(std::to_string(fileSizeOf(folder / entry.name)));
        listing.entries.add("0" + entry.name);
    }
    return listing;
}

bool isViewableName(std::string_view name)
{
    static constexpr std::array<std::string_view, 11> kViewable = {
        "htm", "html", "txt", "bmp", "gif", "jpg", "jpeg", "hwp", "doc", "xls", "ppt"
    };
    std::string extension = lowerExtension(name);
    if (name.rfind('.') == std::string_view::npos)
        return false;
    for (auto viewable : kViewable) {
        if (extension == viewable)
            return true;
    }
    return false;
}

ListText listViewable(const std::filesystem::path& folder)
{
    ListText list;
    auto entries = readFolder(folder);
    if (!entries)
        return list;
    for (const auto& entry : *entries) {
        if (entry.kind == EntryKind::Folder)
            list.add("1" + entry.name);
        else if (isViewableName(entry.name))
            list.add("0" + entry.name);
    }
    return list;
}

} // namespace pc::service
