#include "pc/app/console_window.h"

#include <ostream>

namespace pc::app {

ConsoleMainView::ConsoleMainView(std::function<void()> onClose)
    : m_onClose(std::move(onClose))
{
}

void ConsoleMainView::closeWindow()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_onClose)
        m_onClose();
}

bool ConsoleDialogs::runLogin(LoginDialog& dialog)
{
    auto credentials = runConsoleLogin(dialog, m_input);
    if (!credentials) {
        m_error = credentials.error();
        return false;
    }
    return true;
}

ConsoleWindowCommands::ConsoleWindowCommands(MainWindow& window, const ConsoleMainView& view, std::ostream& out)
    : m_window(window)
    , m_view(view)
    , m_out(out)
{
}

void ConsoleWindowCommands::printHelp()
{
    m_out << "  status                             the server's state and today's date\n"
             "  viewlog FILE                       로그 보기: open a saved log (.txt)\n"
             "  savelog FILE                       로그 저장: save the log (\".txt\" is added)\n"
             "  clearlog                           로그 지우기: clear the log\n"
             "  ip                                 내 컴퓨터 IP보기: show the PC's address\n"
             "  datetime                           달력보기: open the date and time settings\n"
             "  about                              Quillon 정보\n"
             "  (relative log file names are in "
          << m_window.logFolder().string() << ")\n"
          << std::flush;
}

ConsoleWindowCommands::Handled ConsoleWindowCommands::handle(const std::vector<std::string>& words)
{
    if (words.empty())
        return Handled::No;
    const std::string& command = words.front();
    auto needsFile = [&](const char* usage) {
        if (words.size() == 2)
            return true;
        m_out << usage << "\n" << std::flush;
        return false;
    };
    if (command == "start") {
        m_window.startServer();
    } else if (command == "stop") {
        m_window.stopServer();
    } else if (command == "status") {
        m_out << m_view.state().title << " (" << m_view.state().status << "), " << m_window.dateLabel() << "\n"
              << std::flush;
    } else if (command == "viewlog") {
        if (needsFile("viewlog FILE"))
            m_window.viewLogFile(words[1]);
    } else if (command == "savelog") {
        if (needsFile("savelog FILE"))
            m_window.saveLogTo(words[1]);
    } else if (command == "clearlog") {
        m_window.clearLog();
    } else if (command == "ip") {
        m_window.showAddress();
    } else if (command == "datetime") {
        m_window.openDateTime();
    } else if (command == "about") {
        m_window.showAbout();
    } else if (command == "exit" || command == "quit") {
        return m_window.requestClose() ? Handled::Closed : Handled::Yes;
    } else {
        return Handled::No;
    }
    return Handled::Yes;
}

} // namespace pc::app
