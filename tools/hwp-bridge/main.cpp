// hwp-bridge: stands in for the HWP word processor on this system. It
// registers the DDE service "HWP/WIN" and carries out the macro commands the
// PC program sends, with LibreOffice. It runs until a client sends Quit or
// it gets SIGINT or SIGTERM.
//
//     hwp-bridge [/n] [/o]
//
// The word processor's own switches /n and /o (a new instance, opened for
// remote control) are accepted; the bridge always behaves that way.

#include "pc/convert/dde_server.h"
#include "pc/convert/hwp_dde_link.h"
#include "pc/convert/office_settings.h"
#include "platform/trace.h"
#include "tools/hwp-bridge/hwp_bridge.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::puts("usage: hwp-bridge [/n] [/o]\nServes the DDE service HWP/WIN with LibreOffice.");
            return 0;
        }
    }
    // Every thread leaves these signals to the main thread's sigwait().
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    auto work = platform::TempFolder::create("hwp-bridge");
    if (!work) {
        std::fprintf(stderr, "hwp-bridge: %s\n", platform::describe(work.error()).c_str());
        return 1;
    }
    pc::convert::LibreOfficeConfig office;
    office.profileFolder = work->path() / "profile";
    if (std::string warm = pc::convert::findOfficeBridge(); !warm.empty())
        office.bridge = { warm };
    tools::hwp_bridge::HwpBridge bridge(office, std::move(*work), [] { ::kill(::getpid(), SIGUSR1); });
    // The PC waits 20 s for the service and gives each command 20 s. The
    // office's start gets up to 15 s before the service is offered, so that
    // it counts against the wait for the service, and what a slow start
    // needs beyond that against the first document's. Without a warm office
    // documents go to a cold soffice.
    (void)bridge.warmUp(std::chrono::seconds(15));
    auto server = pc::convert::DdeServer::start(pc::convert::kHwpService, bridge);
    if (!server) {
        std::fprintf(stderr, "hwp-bridge: %s\n", platform::describe(server.error()).c_str());
        return 1;
    }
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
