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
        std::size_t lead = safe.size();
        while (lead > 0 && (static_cast<unsigned char>(safe[lead - 1]) & 0xC0) == 0x80)
            --lead;
        if (lead > 0) {
            auto first = static_cast<unsigned char>(safe[lead - 1]);
            std::size_t expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
            if (safe.size() - (lead - 1) < expected)
                safe.resize(lead - 1);
        }
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    return safe;
}

} // namespace pc::service
