#include "pc/convert/safe_output_name.h"

namespace pc::convert {

std::string safeOutputName(std::string_view name)
{
    std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string safe;
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            safe.push_back(c);
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    return safe;
}

} // namespace pc::convert
