#include "pc/mail/relay_console_commands.h"

#include "pc/mail/smtp_submit.h"
#include "platform/port_number.h"

#include <ostream>

namespace pc::mail {

const char* const kRelayCommandHelp =
    "  relay                              show the SMTP relay that sends the handheld's mail\n"
    "  relay set HOST [PORT [USER [PW]]]  send mail through this relay\n"
    "  relay starttls on|off              require STARTTLS with the relay\n"
    "  relay from ADDRESS                 the sender address of sent mail\n"
    "  relay off                          do not send mail\n";

RelayConsoleCommands::RelayConsoleCommands(platform::Profile& winIni, std::ostream& out)
    : m_winIni(winIni)
    , m_out(out)
{
}

void RelayConsoleCommands::handle(const std::vector<std::string>& words)
{
    std::string sub = words.size() > 1 ? words[1] : "";
    if (sub.empty()) {
        show();
    } else if (sub == "set") {
        set(words);
    } else if (sub == "starttls" && words.size() == 3 && (words[2] == "on" || words[2] == "off")) {
        write("starttls", words[2] == "on" ? "1" : "0");
        show();
    } else if (sub == "from" && words.size() == 3) {
        write("from", words[2]);
        show();
    } else if (sub == "off" && words.size() == 2) {
        write("MAPI", "0");
        show();
    } else {
        m_out << "relay: unknown use; the forms are:\n" << kRelayCommandHelp << std::flush;
    }
}

void RelayConsoleCommands::set(const std::vector<std::string>& words)
{
    if (words.size() < 3 || words.size() > 6 || words[2].empty()) {
        m_out << "relay set HOST [PORT [USER [PASSWORD]]]\n" << std::flush;
        return;
    }
    std::string port = words.size() > 3 ? words[3] : "25";
    if (!platform::parsePortNumber(port)) {
        m_out << "relay: the port must be a number from 1 to 65535\n" << std::flush;
        return;
    }
    write("host", words[2]);
    write("port", port);
    write("user", words.size() > 4 ? words[4] : "");
    write("password", words.size() > 5 ? words[5] : "");
    write("MAPI", "1");
    show();
}

void RelayConsoleCommands::write(std::string_view key, std::string_view value)
{
    if (auto written = m_winIni.writeString(kMailSection, key, value); !written)
        m_out << "relay: cannot write " << m_winIni.file().string() << ": " << platform::describe(written.error())
              << "\n";
}

void RelayConsoleCommands::show()
{
    auto relay = readSmtpRelay(m_winIni);
    if (!relay) {
        m_out << "relay: none (mail from the handheld is answered \"error\")\n" << std::flush;
        return;
    }
    m_out << "relay: " << relay->host << ":" << relay->port << (relay->startTls ? " STARTTLS" : "")
          << (relay->user.empty() ? std::string(", no log-in") : ", user " + relay->user)
          << ", from " << senderAddressOf(*relay) << "\n"
          << std::flush;
}

} // namespace pc::mail
