#include "apps/quillon-pocket/console_front_end.h"

#include "apps/quillon-pocket/console_discover.h"
#include "apps/quillon-pocket/console_icq.h"
#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/console_mail.h"
#include "apps/quillon-pocket/console_msn.h"
#include "apps/quillon-pocket/console_mypc.h"
#include "apps/quillon-pocket/console_option_command.h"
#include "apps/quillon-pocket/console_views.h"
#include "apps/quillon-pocket/icq_console_views.h"
#include "apps/quillon-pocket/msn_console_views.h"
#include "platform/clock.h"
#include "platform/console_words.h"
#include "platform/home.h"
#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "platform/terminal_text.h"
#include "pocket/app/frame_code_page.h"
#include "pocket/app/frame_layout.h"
#include "pocket/app/handheld.h"
#include "pocket/app/server_address.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace apps::pocket {

namespace {

namespace app = ::pocket::app;
using namespace std::chrono_literals;

constexpr int kMsgInput = 20001;
constexpr auto kAnswerWait = 90s; // Longer than the 60-second request time-out.
constexpr auto kServerWait = 30s;

constexpr const char* kHelp = "commands:\n"
                              "  option NAME VALUE [NAME VALUE]...  store settings by their registry value names\n"
                              "  login ID PASSWORD                  connect to the PC and log in\n"
                              "  logout                             log out from the PC\n"
                              "  ls PATH                            list a PC folder (C:, C:\\docs)\n"
                              "  dial                               start the configured dial-up connection\n"
                              "  settings                           show the PC connection settings\n"
                              "  codepage [UTF-8|CP949]             show or store the code page of the PC link\n"
                              "  securelink [on|off]                show or set the private link (TLS) to the PC\n"
                              "  forgetpc [ADDRESS]                 forget a PC's pinned key (default: the PC address)\n"
                              "  discover [N]                       list the PCs on the network; N: use PC N of the list\n"
                              "  help                               this text\n"
                              "  exit                               end the program (so does the end of input)\n";

constexpr const char* kEvents = "what arrives, one line each:\n"
                                "  msn-message SLOT FROM TEXT | icq-message NUMBER TEXT\n"
                                "  pen-received NETWORK FROM PATH | contact NETWORK ID STATUS NAME\n"
                                "  status NETWORK TEXT | [title] text (a message box)\n";

// Wakes the loop when a line arrives; nothing else.
class InputTarget final : public platform::MessageTarget { };

// The dialogs of the window have no console form: each command of a script
// does what the dialog would.
class ConsoleDialogs final : public app::FrontEndDialogs {
public:
    void showLoginDialog() override { }
    void showOptions() override { }
    void showPenMessageBox() override { }
    void showComposer() override { }
    void askSearchWord(const std::string&) override { }
    void showIcqPenEditor(::pocket::ink::InkComposer&) override { }
};

// Every view of the core, as console lines.
struct ConsoleViews {
    ConsoleViews(std::ostream& out, platform::EventLoop& loop, platform::Ui& ui)
        : pc(out)
        , webView(out, "web")
        , mailBody(out, "mail")
        , msnPage(out)
        , msnWindows(out, loop, ui)
        , icq(out)
    {
    }

    app::HandheldViews handheldViews(platform::Ui& ui)
    {
        return app::HandheldViews { ui, dialogs, frame, frame, frame, pc, pc, msnWindows, pc, pc, pc, pc, pc,
            webView, mailBody, pc, msnPage, msnWindows, msnWindows, icq, icq, icq, icq, icq, icq };
    }

    ConsoleDialogs dialogs;
    ConsoleFrame frame;
    ConsolePcViews pc;
    ConsoleHtmlView webView;
    ConsoleHtmlView mailBody;
    MsnConsolePageView msnPage;
    MsnConsoleWindows msnWindows;
    ConsoleIcqViews icq;
};

std::string_view networkWord(::pocket::ink::Network network)
{
    return network == ::pocket::ink::Network::Icq ? "icq" : network == ::pocket::ink::Network::Msn ? "msn" : "yahoo";
}

class Console {
public:
    Console(const std::filesystem::path& home, std::istream& in, std::ostream& out, std::ostream& err,
        platform::Registry& registry, bool msnMode)
        : m_out(out)
        , m_err(err)
        , m_msnMode(msnMode)
        , m_lines(LineQueue::start(in, m_loop, m_input, kMsgInput))
        , m_ui(*m_lines, out)
        , m_registry(registry)
        , m_views(out, m_loop, m_ui)
        , m_handheld({ home, m_loop, registry }, m_views.handheldViews(m_ui))
        , m_mypc(m_handheld, out, err, [this](const std::function<bool()>& done) { waitFor(done); })
        , m_mail(m_handheld, m_ui, m_views.pc, m_views.webView, m_views.mailBody, out, err,
              [this](const std::function<bool()>& done) { waitFor(done); })
        , m_msn(m_handheld, m_views.msnPage, m_views.msnWindows, out, err,
              [this](const std::function<bool()>& done) { return m_loop.runUntil(done, kServerWait); })
        , m_icq(m_handheld, m_views.icq, out, err,
              [this](const std::function<bool()>& done) { return m_loop.runUntil(done, kServerWait); })
        , m_discover(m_handheld, m_ui, out, err)
    {
        m_views.pc.setTree(&m_handheld.mypc().tree);
        m_views.msnWindows.setCarriage(&m_handheld.msn().pen);
        m_handheld.penInbox().setFiledListener(
            [this](::pocket::ink::Network network, std::string_view sender, const std::filesystem::path& file) {
                m_out << "pen-received\t" << networkWord(network) << "\t" << platform::terminalSafe(sender) << "\t"
                      << platform::terminalSafe(file.string()) << std::endl;
            });
    }

    ~Console()
    {
        m_lines->close();
        m_views.msnWindows.closeEditor();
        m_views.msnWindows.setCarriage(nullptr);
    }

    int run()
    {
        // The frame's start-up: the settings, the folders, the PC link and
        // the messengers, as the window has them.
        if (m_handheld.start() != app::StartResult::Running)
            return 1;
        for (;;) {
            while (!m_lines->hasLine() && !m_lines->atEnd())
                m_loop.runUntil([&] { return m_lines->hasLine() || m_lines->atEnd(); }, 1h);
            auto line = m_lines->tryTake();
            if (!line || !execute(*line))
                break;
        }
        // The end of the program, in the frame's order.
        m_handheld.close();
        return 0;
    }

private:
    // False when the program should end.
    bool execute(const std::string& line)
    {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos)
            return true;
        std::size_t end = line.find_first_of(" \t", start);
        std::string command = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string arguments = end == std::string::npos ? "" : line.substr(end + 1);
        if (command == "exit" || command == "quit")
            return false;
        // The MSN mode of --msn-console: the MSN commands without "msn".
        if (m_msnMode && command != "help" && command != "option" && command != "msn" && command != "icq") {
            m_msn.execute(line.substr(start));
            return true;
        }
        if (command == "help")
            m_out << kHelp << ConsoleMyPc::help() << ConsoleMail::help() << ConsoleMsn::help() << ConsoleIcq::help()
                  << kEvents << std::flush;
        else if (command == "msn")
            m_msn.execute(arguments);
        else if (command == "icq")
            m_icq.execute(arguments);
        else if (command == "option")
            (void)runOptionCommand(parseOptionArguments(arguments), m_handheld.optionsSheet(), m_handheld.store(),
                m_handheld.settings(), m_ui, m_err);
        else if (command == "login")
            login(arguments);
        else if (command == "logout")
            logout();
        else if (command == "ls")
            list(arguments);
        else if (command == "dial")
            (void)m_handheld.onMenuCommand(app::kCmdDial);
        else if (command == "settings")
            showSettings();
        else if (command == "codepage")
            codePage(arguments);
        else if (command == "securelink")
            secureLink(arguments);
        else if (command == "forgetpc")
            forgetPc(arguments);
        else if (command == "discover")
            m_discover.execute(arguments);
        else if (m_mail.execute(command, arguments))
            ;
        else if (!m_mypc.execute(command, arguments))
            m_err << command << ": unknown command (try help)" << std::endl;
        return true;
    }

    void login(const std::string& arguments)
    {
        auto words = platform::splitBlankWords(arguments);
        if (words.size() != 2) {
            m_err << "login: usage: login ID PASSWORD" << std::endl;
            return;
        }
        auto& dialog = m_handheld.loginDialog();
        dialog.show();
        std::size_t before = m_ui.messageCount();
        if (!dialog.connect(words[0], words[1], m_views.pc.remember()))
            return;
        // The log-in answer always shows a message; so does a lost connection.
        waitFor([&] { return m_ui.messageCount() > before; });
    }

    void logout()
    {
        auto& link = m_handheld.link();
        if (!link.isConnected()) {
            m_err << "logout: not connected" << std::endl;
            return;
        }
        (void)m_handheld.onMenuCommand(app::kCmdDisconnect);
        waitFor([&] { return !link.isConnected(); });
    }

    void list(std::string arguments)
    {
        std::replace(arguments.begin(), arguments.end(), '/', '\\');
        auto words = platform::splitBlankWords(arguments);
        if (words.size() != 1) {
            m_err << "ls: usage: ls PATH" << std::endl;
            return;
        }
        auto& link = m_handheld.link();
        m_views.pc.folderDone = false;
        std::size_t before = m_ui.messageCount();
        if (!m_handheld.mypc().folders.open(words[0]))
            return;
        waitFor([&] { return m_views.pc.folderDone || m_ui.messageCount() > before || !link.isConnected(); });
    }

    // "codepage [NAME]": shows the code page of the PC link, or stores the
    // registry value "CodePage" for the next start.
    void codePage(const std::string& arguments)
    {
        auto& link = m_handheld.link();
        auto words = platform::splitBlankWords(arguments);
        if (words.empty()) {
            m_out << "CodePage\t" << link.codePage() << std::endl;
            return;
        }
        std::string name = app::normaliseCodePage(words[0]);
        if (words.size() != 1 || name.empty()) {
            m_err << "codepage: unknown code page " << arguments << " (UTF-8 or CP949)" << std::endl;
            return;
        }
        if (!m_registry.setString(::pocket::settings::kSettingsKey, app::kCodePageValue, name)) {
            m_err << "codepage: the setting could not be stored" << std::endl;
            return;
        }
        m_out << "CodePage\t" << name;
        if (name != link.codePage())
            m_out << " (applies at the next start of the program)";
        m_out << std::endl;
    }

    void secureLink(const std::string& arguments)
    {
        auto& pairing = m_handheld.pairing();
        auto words = platform::splitBlankWords(arguments);
        if (words.size() == 1 && (words[0] == "on" || words[0] == "off"))
            pairing.setOn(words[0] == "on");
        else if (!words.empty())
            m_err << "securelink: usage: securelink [on|off]" << std::endl;
        m_out << "SecureLink\t" << (pairing.isOn() ? "on" : "off") << std::endl;
    }

    void forgetPc(const std::string& arguments)
    {
        auto words = platform::splitBlankWords(arguments);
        std::string address = words.empty() ? m_handheld.settings().serverIp : words[0];
        m_handheld.pairing().forget(address);
        m_out << "forgot\t" << address << std::endl;
    }

    void showSettings()
    {
        const auto& settings = m_handheld.settings();
        m_out << "SEVER_IP\t" << settings.serverIp << "\nPC_PORT\t" << settings.pcPort << "\nPC_UPLOAD_PORT\t"
              << settings.pcUploadPort << "\nPC_WEB_PORT\t" << settings.pcWebPort << "\nMY_ID\t" << settings.myId
              << "\nsave\t" << settings.save << std::endl;
    }

    void waitFor(const std::function<bool()>& done)
    {
        if (!m_loop.runUntil(done, kAnswerWait))
            m_err << "no answer from the PC" << std::endl;
    }

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_msnMode;
    platform::SystemClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    InputTarget m_input;
    std::shared_ptr<LineQueue> m_lines;
    ConsoleLineUi m_ui;
    platform::Registry& m_registry;
    ConsoleViews m_views;
    app::Handheld m_handheld;
    ConsoleMyPc m_mypc;
    ConsoleMail m_mail;
    ConsoleMsn m_msn;
    ConsoleIcq m_icq;
    ConsoleDiscover m_discover;
};

} // namespace

bool wantsConsole(std::span<const std::string_view> args)
{
    return std::find(args.begin(), args.end(), kConsoleOption) != args.end()
        || std::find(args.begin(), args.end(), kMsnConsoleOption) != args.end();
}

int runConsoleCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err)
{
    std::string_view homeOption;
    ConsoleOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" && i + 1 < args.size())
            homeOption = args[++i];
        else if (args[i].starts_with("--home="))
            homeOption = args[i].substr(7);
        else if (args[i] == kMsnConsoleOption)
            options.msnMode = true;
        else if (args[i] == "--msn-server" && i + 1 < args.size())
            options.msnServer = std::string(args[++i]);
        else if (args[i] != kConsoleOption) {
            err << "quillon-pocket: unknown option " << args[i] << std::endl;
            return 2;
        }
    }
    if (options.msnServer && !app::parseServerAddress(*options.msnServer).port
        && options.msnServer->find(':') != std::string::npos) {
        err << "quillon-pocket: bad port in --msn-server " << *options.msnServer << std::endl;
        return 2;
    }
    auto home = platform::prepareHome(platform::Program::Pocket, homeOption);
    if (!home) {
        err << "quillon-pocket: " << platform::describe(home.error()) << std::endl;
        return 1;
    }
    return runConsole(*home, in, out, err, options);
}

int runConsole(
    const std::filesystem::path& home, std::istream& in, std::ostream& out, std::ostream& err, const ConsoleOptions& options)
{
    auto registry = platform::Registry::open(home / "registry.txt");
    if (!registry) {
        err << "quillon-pocket: " << platform::describe(registry.error()) << std::endl;
        return 1;
    }
    // "--msn-server" is the registry value MSN_SERVER, which the core reads
    // when it starts.
    if (options.msnServer
        && (!(*registry)->createKey(::pocket::settings::kSettingsKey)
            || !(*registry)->setString(::pocket::settings::kSettingsKey, app::kMsnServerValue, *options.msnServer))) {
        err << "quillon-pocket: the MSN server could not be stored" << std::endl;
        return 1;
    }
    Console console(home, in, out, err, **registry, options.msnMode);
    return console.run();
}

} // namespace apps::pocket
