#include "apps/quillon/program_setup.h"

#include "pc/app/autostart.h"
#include "platform/home.h"
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
    return *home;
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
