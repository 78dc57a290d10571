#include "platform/safe_name.h"

#include "platform/codepage.h"

#include <algorithm>

namespace platform {

std::string safeFileName(std::string_view name, std::size_t maxBytes)
{
    std::string safe(cutBytes(name, std::max<std::size_t>(maxBytes, 1)));
    for (char& c : safe) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    return safe;
}

std::string_view lastPathComponent(std::string_view path)
{
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace platform
