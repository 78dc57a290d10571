#pragma once

// File: pc/app/console_login.h
// The login dialog in console form. The id comes from --id, else the
// remembered id, else a prompt; the password from QUILLON_PASSWORD, else the
// remembered password (when it belongs to that id), else a prompt. The
// remember flags stay as the profile has them. Without a terminal nothing
// can be asked, so a missing id or password ends the login.

#include "pc/app/login_dialog.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pc::app {

struct ConsoleLoginInput {
    std::optional<std::string> idOption;
    std::optional<std::string> environmentPassword;
    bool hasTerminal = false;
    // Asks for one line; nullopt at the end of input. `secret` hides typing.
    std::function<std::optional<std::string>(std::string_view prompt, bool secret)> prompt;
};

enum class ConsoleLoginError {
    NoTerminal, // An id or password was needed and there is no terminal to ask.
    Cancelled,  // The input ended, or three attempts failed.
};

platform::Result<service::Credentials, ConsoleLoginError> runConsoleLogin(LoginDialog& dialog,
    const ConsoleLoginInput& input);

// The message printed when the login cannot go on.
std::string consoleLoginMessage(ConsoleLoginError error);

// Reads one line from standard input after printing the prompt on standard
// error; with `secret` the terminal does not echo the typing.
std::optional<std::string> promptOnTerminal(std::string_view prompt, bool secret);

} // namespace pc::app
