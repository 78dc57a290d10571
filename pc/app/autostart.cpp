#include "pc/app/autostart.h"

#include "platform/files.h"

#include <cstdlib>

namespace pc::app {

Autostart::Autostart(platform::Registry& registry, std::string command, std::filesystem::path autostartFolder)
    : m_registry(registry)
    , m_command(std::move(command))
    , m_folder(std::move(autostartFolder))
{
}

std::filesystem::path Autostart::defaultFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "autostart";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "/") / ".config" / "autostart";
}

platform::IoResult<void> Autostart::enable()
{
    if (!m_registry.keyExists(kRunKey)) {
        if (auto created = m_registry.createKey(kRunKey); !created)
            return created.error();
    }
    if (auto set = m_registry.setString(kRunKey, kValueName, m_command); !set)
        return set.error();
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=Quillon\n"
                        "Comment=Quillon PC server\n"
                        "Exec="
        + m_command + "\n"
                      "Terminal=false\n"
                      "X-GNOME-Autostart-enabled=true\n";
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);
    return platform::writeFileAtomically(desktopFile(), entry, 0644);
}

void Autostart::disable()
{
    if (m_registry.keyExists(kRunKey))
        (void)m_registry.deleteValue(kRunKey, kValueName);
    std::error_code ignored;
    std::filesystem::remove(desktopFile(), ignored);
}

bool Autostart::isEnabled() const
{
    return m_registry.getString(kRunKey, kValueName).has_value();
}

} // namespace pc::app
