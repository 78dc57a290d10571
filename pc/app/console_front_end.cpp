#include "pc/app/console_front_end.h"

#include <istream>

namespace pc::app {

const char* const kLoginTip = "Tip)\n1.메뉴의 \"연결-서버시작\"을 선택하면, PDA를 이용한 Quillon기능을 이용할 수 있습니다.\n"
                              "2.PC의 IP주소를 확인한 후 PDA프로그램의 환경설정 - Connections탭 - PC IP를 설정해주십시오.\n"
                              "3.PDA로 PC에 연결하려면, PC에서 설정한 아이디 및 비밀번호를 입력해야 합니다.\n";

ConsoleFrontEnd::ConsoleFrontEnd(PcShell& shell, platform::EventLoop& loop, platform::Ui& ui, ConsoleLog& log,
    std::istream& in, int inFd, std::ostream& out, std::function<void()> onExit)
    : m_shell(shell)
    , m_loop(loop)
    , m_log(log)
    , m_in(in)
    , m_inFd(inFd)
    , m_onExit(std::move(onExit))
    , m_commands(shell, ui, out)
{
}

ConsoleFrontEnd::~ConsoleFrontEnd()
{
    stopWatching();
}

platform::Result<void, std::string> ConsoleFrontEnd::begin(const ConsoleStart& start)
{
    auto credentials = runConsoleLogin(m_shell.loginDialog(), start.login);
    if (!credentials)
        return platform::unexpected(consoleLoginMessage(credentials.error()));
    m_shell.onLoggedIn(*credentials);
    std::string tip = kLoginTip;
    m_log.append(m_log.hasText() ? "\n" + tip : tip, ConsoleLog::kStamped);
    if (start.startNow || m_shell.userSettings().startServerAfterLogin) {
        if (!m_shell.startServer() && start.startNow)
            return platform::unexpected(std::string());
    }
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
        if (!m_commands.handleLine(line)) {
            stopWatching();
            if (m_onExit)
                m_onExit();
            return;
        }
    } while (m_in.rdbuf()->in_avail() > 0);
}

} // namespace pc::app
