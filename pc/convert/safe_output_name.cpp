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

std::string safeOutputStem(std::string_view fileName)
{
    std::string name = safeOutputName(fileName);
    if (name.size() <= 4)
        return {};
    name.resize(name.size() - 4);
    if (name == "." || name == "..")
        return {};
    return name;
}

} // namespace pc::convert
