#include "pocket/app/frame_code_page.h"

#include "platform/codepage.h"
#include "platform/registry.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <cctype>

namespace pocket::app {

std::string normaliseCodePage(std::string_view name)
{
    std::string lower;
    for (char c : name) {
        if (c != ' ' && c != '\t')
            lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (lower == "utf-8" || lower == "utf8")
        return std::string(platform::kUtf8);
    // EUC-KR is a subset of CP949, and the Korean MIME labels name the same.
    if (lower == "cp949" || lower == "949" || lower == "euc-kr" || lower == "euckr" || lower == "uhc"
        || lower == "ks_c_5601-1987")
        return std::string(platform::kCp949);
    return {};
}

std::string loadCodePage(platform::Registry& registry)
{
    auto stored = registry.getString(settings::kSettingsKey, kCodePageValue);
    if (!stored) {
        (void)registry.setString(settings::kSettingsKey, kCodePageValue, platform::kUtf8);
        return std::string(platform::kUtf8);
    }
    std::string name = normaliseCodePage(*stored);
    return name.empty() ? std::string(platform::kUtf8) : name;
}

} // namespace pocket::app
