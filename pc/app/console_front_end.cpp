#include "pc/app/console_front_end.h"

#include "platform/net_address.h"

#include <istream>
#include <ostream>

namespace pc::app {

ConsoleFrontEnd::ConsoleFrontEnd(PcShell& shell, platform::EventLoop& loop, platform::Ui& ui, LogSink& log,
    std::istream& in, int inFd, std::ostream& out, std::function<void()> onExit)
    : m_shell(shell)
    , m_loop(loop)
    , m_in(in)
    , m_inFd(inFd)
    , m_out(out)
    , m_onExit(std::move(onExit))
    , m_view([this] {
        // Closing during the start-up is reported by begin() instead.
        if (m_begun && m_onExit)
            m_onExit();
    })
    , m_updateCheck(shell.profile(), ui, m_launcher, shell.home())
    , m_window(shell, loop,
          MainWindowPorts { &m_view, &m_dialogs, &m_launcher, &ui, &log, [this] { return m_updateCheck.run(); },
              [] { return platform::pcAddress(); } },
          shell.home())
    , m_windowCommands(m_window, m_view, out)
    , m_commands(shell, ui, out)
{
}

ConsoleFrontEnd::~ConsoleFrontEnd()
{
    stopWatching();
}

platform::Result<void, std::string> ConsoleFrontEnd::begin(const ConsoleStart& start)
{
    m_dialogs.setLoginInput(start.login);
    m_window.open(false);
    auto outcome = m_window.runStartup(start.startNow);
    switch (outcome) {
    case StartupOutcome::LoginCancelled:
        return platform::unexpected(consoleLoginMessage(m_dialogs.loginError()));
    case StartupOutcome::UpdateChosen:
        return platform::unexpected(std::string("quillon: the update program was started\n"));
    case StartupOutcome::ServerFailed:
        if (start.startNow)
            return platform::unexpected(std::string());
        break;
    case StartupOutcome::Ready:
        break;
    }
    m_begun = true;
    return {};
}

void ConsoleFrontEnd::watchInput()
{
    if (m_watching || m_inFd < 0)
        return;
    m_watching = true;
    platform::SocketCallbacks callbacks;
    callbacks.onReadable = [this] { onInputReadable(); };
    callbacks.onClosed = [this] { onInputReadable(); };
    m_loop.watchSocket(m_inFd, std::move(callbacks));
}

void ConsoleFrontEnd::stopWatching()
{
    if (m_watching) {
        m_loop.unwatchSocket(m_inFd);
        m_watching = false;
    }
}

bool ConsoleFrontEnd::handleLine(const std::string& line)
{
    auto words = splitCommandWords(line);
    switch (m_windowCommands.handle(words)) {
    case ConsoleWindowCommands::Handled::Closed:
        return false;
    case ConsoleWindowCommands::Handled::Yes:
        return true;
    case ConsoleWindowCommands::Handled::No:
        break;
    }
    bool goOn = m_commands.handleLine(line);
    if (!words.empty() && (words.front() == "help" || words.front() == "?"))
        m_windowCommands.printHelp();
    return goOn;
}

void ConsoleFrontEnd::onInputReadable()
{
    // Handle every line already buffered, so that none waits for the next
    // readable notification.
    do {
        std::string line;
        if (!std::getline(m_in, line)) {
            // The end of input ends the commands, not the program.
            stopWatching();
            return;
        }
        if (!handleLine(line)) {
            stopWatching();
            return;
        }
    } while (m_in.rdbuf()->in_avail() > 0);
}

} // namespace pc::app
