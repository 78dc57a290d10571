#include "pc/convert/office_settings.h"

#include "platform/profile.h"

#include <algorithm>
#include <unistd.h>

namespace pc::convert {

namespace {

constexpr std::string_view kSection = "Quillon";
constexpr const char* kBridgeName = "quillon-office-bridge";

} // namespace

std::string findOfficeBridge()
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        std::filesystem::path folder = program.parent_path();
        // Beside the program, installed (bin/../lib/quillon), in the build tree.
        for (const auto& candidate : { folder / kBridgeName, folder / "../lib/quillon" / kBridgeName,
                 folder / "../../tools/office-bridge" / kBridgeName }) {
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate.lexically_normal().string();
        }
    }
    return programExists(kBridgeName) ? kBridgeName : "";
}

LibreOfficeConfig readOfficeConfig(const platform::Profile& profile, const std::filesystem::path& home)
{
    LibreOfficeConfig config;
    config.profileFolder = home / "office-profile";
    std::string bridge = profile.getString(kSection, "officebridge", "");
    if (bridge.empty())
        bridge = findOfficeBridge();
    if (!bridge.empty())
        config.bridge = { bridge };
    config.pageWidth = std::clamp(profile.getInt(kSection, "pagewidth", kDefaultPageWidth), 120, 2000);
    return config;
}

bool startsOfficeWithServer(const platform::Profile& profile)
{
    return profile.getInt(kSection, "officestart", 0) != 0;
}

} // namespace pc::convert
