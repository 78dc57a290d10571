#include "pc/mail/seen_index.h"

#include "pc/mail/private_files.h"

#include <algorithm>

namespace pc::mail {

std::vector<std::string> readSeenIndex(const std::filesystem::path& indexPath)
{
    std::vector<std::string> ids;
    auto bytes = readFileBytes(indexPath);
    if (!bytes)
        return ids;
    std::string_view text = *bytes;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        // Accept bare LF too: an index edited by hand may have them.
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty())
            ids.emplace_back(line);
        if (lf == std::string_view::npos)
            break;
        text.remove_prefix(lf + 1);
    }
    return ids;
}

bool isSeen(const std::filesystem::path& indexPath, std::string_view uid)
{
    auto ids = readSeenIndex(indexPath);
    return std::find(ids.begin(), ids.end(), uid) != ids.end();
}

platform::IoResult<void> markSeen(const std::filesystem::path& indexPath, std::string_view uid)
{
    std::string line = "\r\n";
    line += uid;
    return appendPrivateFile(indexPath, line);
}

} // namespace pc::mail
