// quillon-pocket: the handheld client. main() only picks the front end from
// the command line; each front end lives in its own file.

#include "apps/quillon-pocket/console_front_end.h"
#include "apps/quillon-pocket/render_ink_command.h"
#include "apps/version/version.h"
#include "gui/pocket/pocket_gui.h"

#include <algorithm>
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage
    = "usage: quillon-pocket [--home DIR] [--scale N]     (the window)\n"
      "       quillon-pocket [--home DIR] --console\n"
      "       quillon-pocket [--home DIR] --msn-console [--msn-server HOST[:PORT]]\n"
      "       quillon-pocket --render-ink FILE.ink OUT.png\n"
      "       quillon-pocket --help | --version\n"
      "\n"
      "The Quillon handheld client: a 240x320 Pocket PC screen with My PC, mail, the\n"
      "web and document view, and the MSN and ICQ messengers.\n"
      "\n"
      "Options:\n"
      "  --home DIR          the home folder (registry store and device root)\n"
      "  --scale N           draw the screen N times its size\n"
      "  --console           the same client from standard input, one command a line\n"
      "                      (help lists them); also without a display\n"
      "  --msn-console       the console in its MSN mode (the MSN commands alone)\n"
      "  --msn-server HOST[:PORT]  the MSN server of the console (--console, --msn-console)\n"
      "  --render-ink FILE.ink OUT.png  draw a pen message into a 240x240 picture\n"
      "  --help              show this text\n"
      "  --version           show the version\n"
      "\n"
      "Environment:\n"
      "  QUILLON_POCKET_HOME the home folder when --home is not given\n"
      "  XDG_DATA_HOME       the home folder is $XDG_DATA_HOME/quillon-pocket when\n"
      "                      neither is given (default ~/.local/share/quillon-pocket)\n"
      "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM  a display for the window; without\n"
      "                      one the client runs on the terminal (--console)\n"
      "  QUILLON_TRACE       1: a debug trace on standard error\n"
      "\n"
      "The PC's address and ports, the messenger servers (MSN_SERVER, ICQ_SERVER) and\n"
      "the code page are settings in registry.txt of the home folder. See\n"
      "quillon-pocket(1).\n";

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        std::cout << apps::versionLine("quillon-pocket");
        return 0;
    }
    if (!args.empty() && args[0] == apps::pocket::kRenderInkOption)
        return apps::pocket::runRenderInk(std::span(args).subspan(1), std::cout, std::cerr);
    if (apps::pocket::wantsConsole(args))
        return apps::pocket::runConsoleCommand(args, std::cin, std::cout, std::cerr);

    // The window by default; without a display the same core runs on the
    // terminal.
    for (auto arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    if (gui::handheld::hasDisplay())
        return gui::handheld::runPocketGui(args, argc, argv);
    std::cerr << "quillon-pocket: no display; running on the terminal (--console)\n";
    return apps::pocket::runConsoleCommand(args, std::cin, std::cout, std::cerr);
}
