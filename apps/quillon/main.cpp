// The PC program. With a display it shows its window and tray icon; without
// one, or with --headless, it runs in the terminal. The switches RegServer
// and UnregServer record or remove the program's registration and end.

#include "apps/quillon/gui_mode.h"
#include "apps/quillon/headless.h"
#include "apps/quillon/options.h"
#include "apps/version/version.h"
#include "pc/app/program_start.h"
#include "platform/console_ui.h"
#include "platform/home.h"

#include <climits>
#include <iostream>
#include <unistd.h>

namespace {

int runStartSwitch(pc::app::StartSwitch startSwitch, const apps::quillon::PcOptions& options)
{
    auto home = platform::prepareHome(platform::Program::Pc, options.home);
    if (!home) {
        std::cerr << "quillon: " << platform::describe(home.error()) << "\n";
        return 1;
    }
    char self[PATH_MAX] = {};
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string program = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "quillon";
    platform::ConsoleUi ui(std::cin, std::cout);
    pc::app::ProgramStart start(*home, ui);
    auto outcome = start.run(startSwitch, program);
    return outcome == pc::app::StartOutcome::Registered || outcome == pc::app::StartOutcome::Unregistered ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace apps::quillon;
    // Console commands are read as standard input becomes readable; the
    // stream must keep its own buffer so that lines already read ahead are
    // seen (std::cin's in_avail()).
    std::ios::sync_with_stdio(false);
    holdStopSignals();
    std::vector<std::string> words;
    auto startSwitch = pc::app::takeStartSwitch(std::vector<std::string>(argv + 1, argv + argc), &words);
    auto options = parseOptions(words);
    if (!options) {
        std::cerr << "quillon: " << options.error() << "\n" << usageText();
        return 2;
    }
    if (options->help) {
        std::cout << usageText();
        return 0;
    }
    if (options->version) {
        std::cout << apps::versionLine("quillon");
        return 0;
    }
    if (startSwitch != pc::app::StartSwitch::None)
        return runStartSwitch(startSwitch, *options);
    if (!options->headless && hasDisplay())
        return runGui(*options, argc, argv, std::cerr);
    return runHeadless(*options, std::cout, std::cerr, waitForStopSignal);
}
