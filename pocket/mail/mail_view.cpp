#include "pocket/mail/mail_view.h"

#include "platform/safe_name.h"
#include "pocket/device/device_root.h"
#include "pocket/settings/pda_settings.h"

#include <cctype>
#include <fstream>
#include <iterator>

namespace pocket::mail {

std::string mailUserFolder(const settings::PdaSettings& settings)
{
    return settings.saveMailPath + "\\" + platform::safeFileName(settings.myId);
}

std::string mailFilePath(const settings::PdaSettings& settings, std::string_view name)
{
    std::string safe = platform::safeFileName(name);
    return mailUserFolder(settings) + "\\" + safe + "\\" + safe;
}

std::string withCause(std::string_view message, std::string_view cause)
{
    std::string text(message);
    if (!cause.empty())
        text += "\n\n" + std::string(cause);
    return text;
}

std::string fillText(std::string_view format, std::string_view value)
{
    std::string text(format);
    std::size_t place = text.find("%s");
    if (place != std::string::npos)
        text.replace(place, 2, value);
    return text;
}

std::string urlComponent(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::optional<std::string> readLocalFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool writeLocalFile(const std::filesystem::path& file, std::string_view content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace pocket::mail
