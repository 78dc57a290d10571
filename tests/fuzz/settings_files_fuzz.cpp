// The files the programs keep their settings in: the registry store's text
// and the INI profile. A reader never crashes on a damaged file, and what it
// reads writes back to text it reads the same way.

#include "platform/profile.h"
#include "platform/registry_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

const std::filesystem::path& profileFile()
{
    static const std::filesystem::path file
        = std::filesystem::temp_directory_path() / ("quillon-fuzz-" + std::to_string(::getpid()) + ".ini");
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (auto records = platform::parseRegistryText(input)) {
        auto again = platform::parseRegistryText(platform::formatRegistryText(*records));
        if (!again || again->size() != records->size())
            std::abort();
    }
    {
        std::ofstream(profileFile(), std::ios::binary | std::ios::trunc) << input;
    }
    platform::Profile profile(profileFile());
    for (const auto& section : profile.sections()) {
        for (const auto& key : profile.keys(section))
            (void)profile.getString(section, key, "");
    }
    (void)profile.getInt("Quillon", "pop3cnt", 0);
    return 0;
}
