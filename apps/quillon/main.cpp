// The PC program. Without a display (or with --headless) it runs in the
// terminal; the Qt window joins later.

#include "apps/quillon/headless.h"
#include "apps/quillon/options.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace apps::quillon;
    // Console commands are read as standard input becomes readable; the
    // stream must keep its own buffer so that lines already read ahead are
    // seen (std::cin's in_avail()).
    std::ios::sync_with_stdio(false);
    holdStopSignals();
    auto options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << "quillon: " << options.error() << "\n" << usageText();
        return 2;
    }
    if (options->help) {
        std::cout << usageText();
        return 0;
    }
    return runHeadless(*options, std::cout, std::cerr, waitForStopSignal);
}
