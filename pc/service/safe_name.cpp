#include "pc/service/safe_name.h"

namespace pc::service {

std::string safeFileName(std::string_view name)
{
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string safe;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            continue;
        safe.push_back(c);
    }
    constexpr std::size_t kMaxNameBytes = 255;
    if (safe.size() > kMaxNameBytes) {
        safe.resize(kMaxNameBytes);
        // Do not leave half of a UTF-8 sequence at the end.
        while (!safe.empty() && (static_cast<unsigned char>(safe.back()) & 0xC0) == 0x80)
            safe.pop_back();
        if (!safe.empty() && (static_cast<unsigned char>(safe.back()) & 0x80))
            safe.pop_back();
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    return safe;
}

} // namespace pc::service
