#include "apps/quillon/headless.h"

#include "apps/quillon/credentials_file.h"
#include "apps/quillon/program_setup.h"
#include "pc/app/console_front_end.h"
#include "pc/app/console_progress.h"
#include "pc/app/daily_log_file.h"
#include "pc/app/locked_stream.h"
#include "pc/app/program_start.h"
#include "pc/service/service_folders.h"
#include "platform/console_ui.h"
#include "platform/poll_event_loop.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <unistd.h>

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

// The login as the command line, the credentials file and the environment
// give it; the error is the message to print.
platform::Result<pc::app::ConsoleLoginInput, std::string> loginInput(const PcOptions& options)
{
    pc::app::ConsoleLoginInput login;
    if (!options.id.empty())
        login.idOption = options.id;
    if (const char* password = std::getenv("QUILLON_PASSWORD"))
        login.environmentPassword = std::string(password);
    if (!options.credentials.empty()) {
        auto file = readCredentialsFile(options.credentials);
        if (!file)
            return platform::unexpected("quillon: " + file.error() + "\n");
        if (file->id && !login.idOption)
            login.idOption = file->id;
        if (file->password)
            login.environmentPassword = file->password;
    }
    login.hasTerminal = ::isatty(STDIN_FILENO) == 1;
    login.prompt = pc::app::promptOnTerminal;
    return login;
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
    auto login = loginInput(options);
    if (!login) {
        err << login.error();
        return 1;
    }
    auto home = prepareProgramHome(options, err);
    if (!home)
        return 1;
    // The log, the questions and the web server's access log share the output.
    pc::app::LockedStream shared(out);
    platform::ConsoleUi ui(std::cin, shared);
    // One instance per home folder; a second start says so and ends.
    pc::app::ProgramStart programStart(*home, ui);
    if (programStart.run(pc::app::StartSwitch::None, selfPath()) != pc::app::StartOutcome::OpenWindow)
        return 1;

    platform::SystemClock clock;
    platform::PollEventLoop loop(clock);
    // Log kinds show as colours on a terminal and as a mark elsewhere.
    bool terminal = &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
    pc::app::ConsoleLog pane(clock, shared,
        terminal ? pc::app::ConsoleLog::Marking::Colour : pc::app::ConsoleLog::Marking::Prefix);
    // Standard output is the journal of a service; the log folder keeps a copy.
    pc::app::DailyLogFile log(pane, clock, pc::service::ServiceFolders::under(*home).logs);
    pc::app::ConsoleProgress progress(shared);
    auto shell
        = pc::app::PcShell::create(loop, log, ui, shared, shellConfigFor(options, *home, true), &progress);
    if (!shell) {
        err << "quillon: " << platform::describe(shell.error()) << "\n";
        return 1;
    }

    bool exitTyped = false;
    pc::app::ConsoleFrontEnd front(**shell, loop, ui, log, std::cin, STDIN_FILENO, shared, [&] {
        exitTyped = true;
        loop.quit();
    });
    pc::app::ConsoleStart start;
    start.login = *login;
    start.startNow = options.start;
    if (auto begun = front.begin(start); !begun) {
        err << begun.error();
        (*shell)->stopServer();
        return 1;
    }
    front.watchInput();

    // The window thread is this one; the stop request (a signal) is awaited
    // on another and ends the loop.
    std::atomic<bool> stopArrived = false;
    std::thread waiter([&] {
        waitForStop();
        stopArrived = true;
        loop.quit();
    });
    loop.run();
    (*shell)->stopServer();
    if (exitTyped && !stopArrived)
        waiter.detach(); // Still waiting for a signal that will not come.
    else
        waiter.join();
    return 0;
}

} // namespace apps::quillon
