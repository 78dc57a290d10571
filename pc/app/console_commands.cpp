#include "pc/app/console_commands.h"

#include "pc/mail/relay_console_commands.h"

#include <cstdlib>
#include <ostream>

namespace pc::app {

namespace {

// The account editor of the console: the new values come with the command.
class FixedAccountEditor final : public AccountEditor {
public:
    explicit FixedAccountEditor(MailAccount account)
        : m_account(std::move(account))
    {
    }
    std::optional<MailAccount> editAccount(const std::string&, const MailAccount&) override { return m_account; }

private:
    MailAccount m_account;
};

// The protection a command names after the account's fields: clear when
// none or another word is given.
mail::Pop3Security securityOf(const std::vector<std::string>& words, std::size_t index)
{
    if (index >= words.size())
        return mail::Pop3Security::Clear;
    return mail::pop3SecurityOf(words[index]).value_or(mail::Pop3Security::Clear);
}

// Row numbers as typed (1-based) to table indices; bad words are skipped.
std::vector<std::size_t> rowsOf(const std::vector<std::string>& words, std::size_t from)
{
    std::vector<std::size_t> rows;
    for (std::size_t i = from; i < words.size(); ++i) {
        char* end = nullptr;
        long number = std::strtol(words[i].c_str(), &end, 10);
        if (end && *end == '\0' && number >= 1)
            rows.push_back(static_cast<std::size_t>(number - 1));
    }
    return rows;
}

} // namespace

ConsoleCommands::ConsoleCommands(PcShell& shell, platform::Ui& ui, std::ostream& out)
    : m_shell(shell)
    , m_ui(ui)
    , m_out(out)
{
}

void ConsoleCommands::printHelp()
{
    m_out << "commands:\n"
             "  start                              서버시작: start the server\n"
             "  stop                               서버중지: stop the server\n"
             "  accounts                           list the mail accounts\n"
             "  add SERVER USER PASSWORD [pop3s|stls]  add a mail account (TLS: POP3S or STLS)\n"
             "  modify N SERVER USER PASSWORD [pop3s|stls]  change mail account N\n"
             "  delete N [N...]                    delete mail accounts\n"
             "  autostart on|off                   윈도우 시작시 자동으로 실행합니다.\n"
             "  startserver on|off                 프로그램 실행시 Quillon 서버를 시작합니다.\n"
             "  codepage [NAME]                    show or set the handheld's code page (UTF-8, CP949 ...)\n"
             "  fingerprint                        the PC key's fingerprint, for pairing a handheld\n"
             "  securelink [allowed|required|off]  show or set the private link (TLS) of the ports\n"
          << mail::kRelayCommandHelp
          << "  help                               this list\n"
             "  exit                               stop the server and end the program (asks first)\n"
          << std::flush;
}

bool ConsoleCommands::handleLine(std::string_view line)
{
    auto words = splitCommandWords(line);
    if (words.empty())
        return true;
    const std::string& command = words.front();
    if (command == "exit" || command == "quit") {
        m_shell.stopServer();
        return false;
    }
    if (command == "help" || command == "?")
        printHelp();
    else if (command == "start")
        m_shell.startServer();
    else if (command == "stop")
        m_shell.stopServer();
    else if (command == "accounts")
        listAccounts();
    else if (command == "add")
        addAccount(words);
    else if (command == "modify")
        modifyAccount(words);
    else if (command == "delete")
        deleteAccounts(words);
    else if (command == "autostart")
        setStartOption(words, true);
    else if (command == "startserver")
        setStartOption(words, false);
    else if (command == "codepage")
        codePage(words);
    else if (command == "fingerprint")
        m_out << "fingerprint: " << m_shell.fingerprint() << "\n" << std::flush;
    else if (command == "securelink")
        secureLink(words);
    else if (command == "relay")
        mail::RelayConsoleCommands(m_shell.winIni(), m_out).handle(words);
    else
        m_out << "unknown command: " << command << " (help lists the commands)\n" << std::flush;
    return true;
}

void ConsoleCommands::secureLink(const std::vector<std::string>& words)
{
    if (words.size() == 2) {
        auto mode = platform::parseSecureLinkMode(words[1]);
        if (!mode) {
            m_out << "securelink [allowed|required|off]\n" << std::flush;
            return;
        }
        m_shell.setSecureLinkMode(*mode);
    }
    m_out << "securelink: " << platform::secureLinkModeName(m_shell.secureLinkMode()) << "\n" << std::flush;
}

void ConsoleCommands::listAccounts()
{
    const auto& settings = m_shell.userSettings();
    m_out << "    메일서버\t아이디\n";
    for (std::size_t i = 0; i < settings.accounts.size(); ++i)
    {
        const MailAccount& account = settings.accounts[i];
        std::string_view security = mail::pop3SecurityName(account.security);
        m_out << (i + 1) << ". " << account.server << "\t" << account.user << (security.empty() ? "" : "\t")
              << security << "\n";
    }
    m_out << "autostart " << (settings.startWithSystem ? "on" : "off") << ", startserver "
          << (settings.startServerAfterLogin ? "on" : "off") << "\n"
          << std::flush;
}

void ConsoleCommands::applyDialog(SettingsDialog& dialog)
{
    m_shell.applySettings(dialog);
}

void ConsoleCommands::addAccount(const std::vector<std::string>& words)
{
    MailAccount account;
    account.server = words.size() > 1 ? words[1] : "";
    account.user = words.size() > 2 ? words[2] : "";
    account.password = words.size() > 3 ? words[3] : "";
    account.security = securityOf(words, 4);
    auto dialog = m_shell.openSettingsDialog();
    if (dialog->addAccount(account))
        applyDialog(*dialog);
}

void ConsoleCommands::modifyAccount(const std::vector<std::string>& words)
{
    auto dialog = m_shell.openSettingsDialog();
    std::vector<std::size_t> rows = rowsOf(std::vector<std::string>(words.begin(), words.begin() + std::min<std::size_t>(words.size(), 2)), 1);
    MailAccount edited;
    edited.server = words.size() > 2 ? words[2] : "";
    edited.user = words.size() > 3 ? words[3] : "";
    edited.password = words.size() > 4 ? words[4] : "";
    edited.security = securityOf(words, 5);
    // The account dialog refuses empty fields before it closes.
    if (!rows.empty() && rows.front() < dialog->accounts().size() && !checkAccountEntry(edited, m_ui))
        return;
    FixedAccountEditor editor(edited);
    if (dialog->modifySelected(rows, editor))
        applyDialog(*dialog);
}

void ConsoleCommands::deleteAccounts(const std::vector<std::string>& words)
{
    auto dialog = m_shell.openSettingsDialog();
    if (dialog->deleteSelected(rowsOf(words, 1)))
        applyDialog(*dialog);
}

void ConsoleCommands::setStartOption(const std::vector<std::string>& words, bool withSystem)
{
    if (words.size() != 2 || (words[1] != "on" && words[1] != "off")) {
        m_out << words.front() << " on|off\n" << std::flush;
        return;
    }
    bool on = words[1] == "on";
    auto dialog = m_shell.openSettingsDialog();
    if (withSystem)
        dialog->setStartWithSystem(on);
    else
        dialog->setStartServerAfterLogin(on);
    applyDialog(*dialog);
}

void ConsoleCommands::codePage(const std::vector<std::string>& words)
{
    const std::string& running = m_shell.codePage();
    if (words.size() == 1) {
        std::string stored = m_shell.settingsStore().readCodePage();
        m_out << "code page: " << running;
        if (stored != running)
            m_out << " (" << stored << " from the next start)";
        m_out << "\n" << std::flush;
        return;
    }
    if (words.size() != 2) {
        m_out << "codepage [NAME]\n" << std::flush;
        return;
    }
    if (!m_shell.settingsStore().storeCodePage(words[1])) {
        m_out << "unknown code page: " << words[1]
              << " (iconv cannot convert it, or it changes ASCII; try UTF-8 or CP949)\n" << std::flush;
        return;
    }
    std::string stored = m_shell.settingsStore().readCodePage();
    m_out << "code page: " << stored;
    if (stored != running)
        m_out << " (applies at the next start of the program; the running service uses " << running << ")";
    m_out << "\n" << std::flush;
}

} // namespace pc::app
