#include "apps/quillon/headless.h"

#include "apps/quillon/service_root.h"
#include "apps/quillon/web_server_runner.h"
#include "platform/console_ui.h"
#include "platform/home.h"
#include "platform/trace.h"

#include <csignal>
#include <iostream>

namespace apps::quillon {
namespace {

sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

void holdStopSignals()
{
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A client that goes away mid-send must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
}

void waitForStopSignal()
{
    sigset_t signals = stopSignals();
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
}

int runHeadless(const PcOptions& options, std::ostream& out, std::ostream& err, const StopWaiter& waitForStop)
{
    if (options.trace)
        platform::setTraceEnabled(true);
    auto home = platform::prepareHome(platform::Program::Pc, options.home);
    if (!home) {
        err << "quillon: " << platform::describe(home.error()) << "\n";
        return 1;
    }
    auto serviceRoot = prepareServiceRoot(*home);
    if (!serviceRoot) {
        err << "quillon: " << platform::describe(serviceRoot.error()) << "\n";
        return 1;
    }
    platform::ConsoleUi ui(std::cin, out);
    WebServerRunner web(out, ui);
    if (options.start && !web.start(*serviceRoot, options.webPort))
        return 1;
    waitForStop();
    web.stop();
    return 0;
}

} // namespace apps::quillon
