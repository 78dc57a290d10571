#pragma once

// File: pc/mail/relay_console_commands.h
// The console command of the headless program that sets the SMTP relay
// mail is sent through (the [MAIL] section of win.ini):
//
//   relay                                  show the relay
//   relay set HOST [PORT [USER [PASSWORD]]] use this relay (turns sending on)
//   relay starttls on|off                  require STARTTLS
//   relay from ADDRESS                     the sender address
//   relay off                              turn sending off (MAPI=0)
//
// The words come split already (quoted words whole).

#include "platform/profile.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace pc::mail {

// Help lines in the console's format.
extern const char* const kRelayCommandHelp;

class RelayConsoleCommands {
public:
    RelayConsoleCommands(platform::Profile& winIni, std::ostream& out);

    // `words` starts with "relay".
    void handle(const std::vector<std::string>& words);

private:
    void show();
    void set(const std::vector<std::string>& words);
    void write(std::string_view key, std::string_view value);

    platform::Profile& m_winIni;
    std::ostream& m_out;
};

} // namespace pc::mail
