#include "pc/convert/safe_output_name.h"

#include "platform/safe_name.h"

namespace pc::convert {

std::string safeOutputName(std::string_view name)
{
    return platform::safeFileName(platform::lastPathComponent(name));
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
