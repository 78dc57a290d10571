#include "apps/quillon-pocket/console_front_end.h"

#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/console_mail.h"
#include "apps/quillon-pocket/console_mypc.h"
#include "apps/quillon-pocket/console_option_command.h"
#include "platform/clock.h"
#include "platform/console_words.h"
#include "platform/home.h"
#include "platform/http_fetch.h"
#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "pocket/app/frame_code_page.h"
#include "pocket/device/device_root.h"
#include "pocket/link/login_dialog.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/options_sheet.h"
#include "pocket/settings/settings_store.h"

#include <algorithm>
#include <iostream>
#include <memory>

namespace apps::pocket {

namespace {

namespace app = ::pocket::app;
using namespace ::pocket::device;
using namespace ::pocket::link;
using namespace ::pocket::settings;
using namespace std::chrono_literals;

constexpr int kMsgInput = 20001;
constexpr auto kAnswerWait = 90s; // Longer than the 60-second request time-out.

constexpr const char* kHelp = "commands:\n"
                              "  option NAME VALUE [NAME VALUE]...  store settings by their registry value names\n"
                              "  login ID PASSWORD                  connect to the PC and log in\n"
                              "  logout                             log out from the PC\n"
                              "  ls PATH                            list a PC folder (C:, C:\\docs)\n"
                              "  dial                               start the configured dial-up connection\n"
                              "  settings                           show the PC connection settings\n"
                              "  codepage [UTF-8|CP949]             show or store the code page of the PC link\n"
                              "  help                               this text\n"
                              "  exit                               end the program (so does the end of input)\n";

// The views of the core, drawn as console lines.
class ConsoleViews final : public PcLinkView, public FolderListView, public LoginDialogView, public MessengerHost {
public:
    explicit ConsoleViews(std::ostream& out)
        : m_out(out)
    {
    }

    void setConnectedMenu(bool connected) override { m_connected = connected; }
    void resetPcTree() override { }
    void addDriveItems(const std::vector<std::string>& drives) override
    {
        for (const auto& drive : drives)
            m_out << "drive\t" << drive << std::endl;
    }

    void showFolder(const std::string&, const std::vector<FolderEntry>& entries) override
    {
        for (const auto& entry : entries)
            m_out << (entry.isFolder ? "folder\t" : "file\t") << entry.name << std::endl;
        folderDone = true;
    }
    void restoreFolder(const std::string&) override { folderDone = true; }

    void setFields(const std::string&, const std::string&, bool remember) override { m_remember = remember; }
    void focusId() override { }
    void focusPassword() override { }
    void close() override { }

    void setMsnStatusLine(const std::string&) override { }
    void signOutMsn() override { }
    void resetIcq(const std::string&) override { }
    void closeIcq() override { }
    void rebuildMessengerTabs() override { }

    bool remember() const { return m_remember; }
    bool folderDone = false;

private:
    std::ostream& m_out;
    bool m_connected = false;
    bool m_remember = false;
};

// Wakes the loop when a line arrives; nothing else.
class InputTarget final : public platform::MessageTarget { };

class Console {
public:
    Console(const std::filesystem::path& home, std::istream& in, std::ostream& out, std::ostream& err,
        platform::Registry& registry)
        : m_out(out)
        , m_err(err)
        , m_lines(LineQueue::start(in, m_loop, m_input, kMsgInput))
        , m_ui(*m_lines, out)
        , m_device(home / "device")
        , m_registry(registry)
        , m_store(registry, m_device)
        , m_views(out)
        , m_link(m_loop, m_ui, m_settings, m_views)
        , m_login(m_link, m_store, m_settings, m_ui, m_views)
        , m_sheet(m_store, m_settings, m_ui, m_dialUp, m_views)
        , m_folders(m_link, m_settings, m_device, m_fetch, m_ui, m_views)
    {
        // Start-up as the main dialog does it: key, settings, folders, link.
        m_device.prepare();
        (void)m_store.createKey();
        m_store.load(m_settings);
        m_store.createFolders(m_settings);
        m_link.setCodePage(app::loadCodePage(m_registry));
        m_link.prepare();
        m_mail = std::make_unique<ConsoleMail>(m_loop, m_ui, m_link, m_settings, m_device, m_fetch, m_out, m_err,
            [this](const std::function<bool()>& done) { waitFor(done); });
    }

    ~Console()
    {
        m_lines->close();
        if (m_settings.autoDisconnection == 1)
            hangUp(m_dialUp, m_settings);
    }

    int run()
    {
        for (;;) {
            while (!m_lines->hasLine() && !m_lines->atEnd())
                m_loop.runUntil([&] { return m_lines->hasLine() || m_lines->atEnd(); }, 1h);
            auto line = m_lines->tryTake();
            if (!line)
                return 0;
            if (!execute(*line))
                return 0;
        }
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
        if (command == "help")
            m_out << kHelp << ConsoleMyPc::help() << ConsoleMail::help() << std::flush;
        else if (command == "option")
            (void)runOptionCommand(parseOptionArguments(arguments), m_sheet, m_store, m_settings, m_ui, m_err);
        else if (command == "login")
            login(arguments);
        else if (command == "logout")
            logout();
        else if (command == "ls")
            list(arguments);
        else if (command == "dial")
            dial(m_dialUp, m_settings, m_ui);
        else if (command == "settings")
            showSettings();
        else if (command == "codepage")
            codePage(arguments);
        else if (m_mail->execute(command, arguments))
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
        m_login.show();
        std::size_t before = m_ui.messageCount();
        if (!m_login.connect(words[0], words[1], m_views.remember()))
            return;
        // The log-in answer always shows a message; so does a lost connection.
        waitFor([&] { return m_ui.messageCount() > before; });
    }

    void logout()
    {
        if (!m_link.isConnected()) {
            m_err << "logout: not connected" << std::endl;
            return;
        }
        m_link.logout();
        waitFor([&] { return !m_link.isConnected(); });
    }

    void list(std::string arguments)
    {
        std::replace(arguments.begin(), arguments.end(), '/', '\\');
        auto words = platform::splitBlankWords(arguments);
        if (words.size() != 1) {
            m_err << "ls: usage: ls PATH" << std::endl;
            return;
        }
        m_views.folderDone = false;
        std::size_t before = m_ui.messageCount();
        if (!m_folders.open(words[0]))
            return;
        waitFor([&] { return m_views.folderDone || m_ui.messageCount() > before || !m_link.isConnected(); });
    }

    // "codepage [NAME]": shows the code page of the PC link, or stores the
    // registry value "CodePage" for the next start.
    void codePage(const std::string& arguments)
    {
        auto words = platform::splitBlankWords(arguments);
        if (words.empty()) {
            m_out << "CodePage\t" << m_link.codePage() << std::endl;
            return;
        }
        std::string name = app::normaliseCodePage(words[0]);
        if (words.size() != 1 || name.empty()) {
            m_err << "codepage: unknown code page " << arguments << " (UTF-8 or CP949)" << std::endl;
            return;
        }
        if (!m_registry.setString(kSettingsKey, app::kCodePageValue, name)) {
            m_err << "codepage: the setting could not be stored" << std::endl;
            return;
        }
        m_out << "CodePage\t" << name;
        if (name != m_link.codePage())
            m_out << " (applies at the next start of the program)";
        m_out << std::endl;
    }

    void showSettings()
    {
        m_out << "SEVER_IP\t" << m_settings.serverIp << "\nPC_PORT\t" << m_settings.pcPort << "\nPC_UPLOAD_PORT\t"
              << m_settings.pcUploadPort << "\nPC_WEB_PORT\t" << m_settings.pcWebPort << "\nMY_ID\t"
              << m_settings.myId << "\nsave\t" << m_settings.save << std::endl;
    }

    void waitFor(const std::function<bool()>& done)
    {
        if (!m_loop.runUntil(done, kAnswerWait))
            m_err << "no answer from the PC" << std::endl;
    }

    std::ostream& m_out;
    std::ostream& m_err;
    platform::SystemClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    InputTarget m_input;
    std::shared_ptr<LineQueue> m_lines;
    ConsoleLineUi m_ui;
    DeviceRoot m_device;
    platform::Registry& m_registry;
    SettingsStore m_store;
    PdaSettings m_settings;
    ConsoleViews m_views;
    NmcliDialUp m_dialUp;
    platform::HttpFetch m_fetch;
    PcLink m_link;
    LoginDialog m_login;
    OptionsSheet m_sheet;
    PcFolderRequest m_folders;
    ConsoleMyPc m_mypc { m_loop, m_ui, m_link, m_settings, m_device, m_fetch, m_out, m_err };
    // Made once the link has its code page: the mail composer keeps a copy.
    std::unique_ptr<ConsoleMail> m_mail;
};

} // namespace

bool wantsConsole(std::span<const std::string_view> args)
{
    return std::find(args.begin(), args.end(), kConsoleOption) != args.end();
}

int runConsoleCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err)
{
    std::string_view homeOption;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" && i + 1 < args.size())
            homeOption = args[++i];
        else if (args[i].starts_with("--home="))
            homeOption = args[i].substr(7);
        else if (args[i] != kConsoleOption) {
            err << "quillon-pocket: unknown option " << args[i] << std::endl;
            return 2;
        }
    }
    auto home = platform::prepareHome(platform::Program::Pocket, homeOption);
    if (!home) {
        err << "quillon-pocket: " << platform::describe(home.error()) << std::endl;
        return 1;
    }
    return runConsole(*home, in, out, err);
}

int runConsole(const std::filesystem::path& home, std::istream& in, std::ostream& out, std::ostream& err)
{
    auto registry = platform::Registry::open(home / "registry.txt");
    if (!registry) {
        err << "quillon-pocket: " << platform::describe(registry.error()) << std::endl;
        return 1;
    }
    Console console(home, in, out, err, **registry);
    return console.run();
}

} // namespace apps::pocket
