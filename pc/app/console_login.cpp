#include "pc/app/console_login.h"

#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace pc::app {

namespace {

constexpr int kAttempts = 3;

} // namespace

platform::Result<service::Credentials, ConsoleLoginError> runConsoleLogin(LoginDialog& dialog,
    const ConsoleLoginInput& input)
{
    dialog.setIdOption(input.idOption);
    LoginEntry entry = dialog.open();
    if (input.environmentPassword && !input.environmentPassword->empty())
        entry.password = *input.environmentPassword;

    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (entry.id.empty() || entry.password.empty()) {
            if (!input.hasTerminal || !input.prompt)
                return platform::unexpected(ConsoleLoginError::NoTerminal);
        }
        if (entry.id.empty()) {
            auto typed = input.prompt("아이디: ", false);
            if (!typed)
                return platform::unexpected(ConsoleLoginError::Cancelled);
            entry.id = *typed;
        }
        if (entry.password.empty() && !entry.id.empty()) {
            auto typed = input.prompt("패스워드: ", true);
            if (!typed)
                return platform::unexpected(ConsoleLoginError::Cancelled);
            entry.password = *typed;
        }
        if (dialog.accept(entry))
            return *dialog.credentials();
        if (!input.hasTerminal)
            return platform::unexpected(ConsoleLoginError::NoTerminal);
    }
    return platform::unexpected(ConsoleLoginError::Cancelled);
}

std::string consoleLoginMessage(ConsoleLoginError error)
{
    switch (error) {
    case ConsoleLoginError::NoTerminal:
        return "quillon: no terminal to ask for the login id and password; "
               "give --credentials FILE, or --id and QUILLON_PASSWORD, or remember them in an interactive start\n";
    case ConsoleLoginError::Cancelled:
        return "quillon: login cancelled\n";
    }
    return {};
}

std::optional<std::string> promptOnTerminal(std::string_view prompt, bool secret)
{
    std::cerr << prompt << std::flush;
    termios saved {};
    bool hidden = secret && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hidden) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    bool ok = static_cast<bool>(std::getline(std::cin, line));
    if (hidden) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << "\n";
    }
    if (!ok)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace pc::app
