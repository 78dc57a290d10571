#include "apps/quillon/program_setup.h"

#include "pc/app/autostart.h"
#include "pc/convert/hwp_dde_link.h"
#include "platform/home.h"
#include "platform/profile.h"
#include "platform/trace.h"

#include <climits>
#include <ostream>
#include <unistd.h>

namespace apps::quillon {

std::string selfPath()
{
    char self[PATH_MAX] = {};
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    return length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "quillon";
}

std::optional<std::filesystem::path> prepareProgramHome(const PcOptions& options, std::ostream& err)
{
    if (options.trace)
        platform::setTraceEnabled(true);
    auto home = platform::prepareHome(platform::Program::Pc, options.home);
    if (!home) {
        err << "quillon: " << platform::describe(home.error()) << "\n";
        return std::nullopt;
    }
    (void)noteInstalledHwpBridge(*home, selfPath());
    return *home;
}

bool noteInstalledHwpBridge(const std::filesystem::path& home, const std::filesystem::path& programFile)
{
    platform::Profile winIni(home / "win.ini");
    if (pc::convert::isHwpInstalled(winIni))
        return false;
    std::error_code error;
    auto folder = std::filesystem::weakly_canonical(programFile.parent_path() / ".." / "lib" / "quillon", error);
    if (error || ::access((folder / pc::convert::kHwpProgramName).c_str(), X_OK) != 0)
        return false;
    auto written = winIni.writeString("HNC Path", "HNC", folder.string());
    if (!written)
        platform::trace("win.ini: " + platform::describe(written.error()));
    return static_cast<bool>(written);
}

pc::app::ShellConfig shellConfigFor(const PcOptions& options, const std::filesystem::path& home, bool headless)
{
    auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
    pc::app::ShellConfig config;
    config.home = home;
    config.autostartCommand
        = quoted(selfPath()) + (headless ? " --headless" : "") + " --home " + quoted(home.string());
    config.autostartFolder = pc::app::Autostart::defaultFolder();
    config.commandPort = options.commandPort;
    config.uploadPort = options.uploadPort;
    config.webPort = options.webPort;
    return config;
}

} // namespace apps::quillon
