// quillon-pocket: the handheld client. main() only picks the front end from
// the command line; each front end lives in its own file.

#include "apps/quillon-pocket/console_front_end.h"
#include "apps/quillon-pocket/render_ink_command.h"
#include "gui/pocket/pocket_gui.h"

#include <iostream>
#include <span>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage = "usage: quillon-pocket [--home DIR] [--scale N]     (the window)\n"
                                    "       quillon-pocket [--home DIR] --console\n"
                                    "       quillon-pocket [--home DIR] --msn-console [--msn-server HOST[:PORT]]\n"
                                    "       quillon-pocket --render-ink FILE.ink OUT.png\n";

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
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
