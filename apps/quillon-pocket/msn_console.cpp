#include "apps/quillon-pocket/msn_console.h"

#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/msn_console_views.h"
#include "platform/console_words.h"
#include "platform/home.h"
#include "platform/poll_event_loop.h"
#include "platform/registry.h"
#include "pocket/device/contact_store.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/socket_msn_link.h"
#include "pocket/settings/settings_store.h"

#include <algorithm>
#include <charconv>
#include <iostream>

namespace apps::pocket {

namespace {

    using namespace ::pocket;
    using namespace std::chrono_literals;

    constexpr int kMsgInput = 20002;
    constexpr auto kServerWait = 30s;

    constexpr const char* kHelp = "commands:\n"
                                  "  account ID PASSWORD   store the MSN account (MSNID, MSNPASS)\n"
                                  "  login                 sign on to MSN\n"
                                  "  logout                sign off\n"
                                  "  status WORD           NLN BSY BRB AWY PHN LUN HDN\n"
                                  "  contacts              list the contacts with their status\n"
                                  "  add EMAIL             add a contact\n"
                                  "  remove EMAIL          remove a contact\n"
                                  "  rename NAME           change the own friendly name\n"
                                  "  info EMAIL            show a contact's information\n"
                                  "  chat EMAIL            open a chat with a contact\n"
                                  "  say SLOT TEXT         send a text in chat SLOT\n"
                                  "  invite SLOT EMAIL     invite a contact into chat SLOT\n"
                                  "  close SLOT            close chat SLOT\n"
                                  "  chats                 list the open chats\n"
                                  "  copy-contacts         copy every contact into the device contacts\n"
                                  "  help                  this text\n"
                                  "  exit                  sign off and end the program\n";

    class InputTarget final : public platform::MessageTarget { };

    class MsnConsole {
    public:
        MsnConsole(const std::filesystem::path& home, const MsnConsoleOptions& options, std::istream& in,
            std::ostream& out, std::ostream& err, platform::Registry& registry)
            : m_out(out)
            , m_err(err)
            , m_lines(LineQueue::start(in, m_loop, m_input, kMsgInput))
            , m_ui(*m_lines, out)
            , m_device(home / "device")
            , m_store(registry, m_device)
            , m_linkFactory(m_loop, m_ui)
            , m_session(m_loop, m_ui, m_linkFactory, msn::MsnConfig { options.server, options.port })
            , m_pageView(out)
            , m_windows(out)
            , m_contacts(m_device.root(), m_ui)
            , m_page(m_session, m_pageView, m_ui, m_loop, m_contacts, m_mail)
            , m_chats(msn::ChatContext {
                  m_loop, m_ui, m_linkFactory, m_session, m_windows, nullptr, options.port })
            , m_receptions(m_device.root())
            , m_viewers(m_windows, m_ui)
            , m_inbox(m_device.root(), m_ui, m_viewers)
            , m_carriage(m_chats, m_session, m_windows, m_receptions, m_inbox, m_ui,
                  msn::PenSetup { m_device.root() })
        {
            m_device.prepare();
            (void)m_store.createKey();
            m_store.load(m_settings);
            m_store.createFolders(m_settings);
            m_session.setAccount({ m_settings.msnId, m_settings.msnPassword });
            m_session.setPage(&m_page, &m_pageView);
            m_session.setSwitchboardHandler(&m_chats);
            m_chats.setPenCarriage(&m_carriage);
            m_page.setChatStarter(&m_chats);
            m_page.initialise();
        }

        ~MsnConsole()
        {
            m_lines->close();
            if (m_session.ownStatus() >= 0)
                m_session.logout();
        }

        int run()
        {
            for (;;) {
                while (!m_lines->hasLine() && !m_lines->atEnd())
                    m_loop.runUntil([&] { return m_lines->hasLine() || m_lines->atEnd(); }, 1h);
                auto line = m_lines->tryTake();
                if (!line || !execute(*line))
                    return 0;
            }
        }

    private:
        bool execute(const std::string& line);
        void account(const std::vector<std::string>& words);
        void login();
        bool selectContact(const std::string& email);
        void listContacts();
        void listChats();
        msn::MsnChat* chatAt(const std::string& slotText);
        void waitFor(const std::function<bool()>& done, std::string_view what);

        std::ostream& m_out;
        std::ostream& m_err;
        platform::SystemClock m_clock;
        platform::PollEventLoop m_loop { m_clock };
        InputTarget m_input;
        std::shared_ptr<LineQueue> m_lines;
        ConsoleLineUi m_ui;
        device::DeviceRoot m_device;
        settings::SettingsStore m_store;
        settings::PdaSettings m_settings;
        msn::SocketMsnLinkFactory m_linkFactory;
        msn::MsnSession m_session;
        MsnConsolePageView m_pageView;
        MsnConsoleWindows m_windows;
        device::ContactStore m_contacts;
        msn::XdgMailLauncher m_mail;
        msn::MsnPage m_page;
        msn::MsnChats m_chats;
        ink::PenReceptions m_receptions;
        ink::InkViewers m_viewers;
        ink::PenInbox m_inbox;
        msn::MsnPenCarriage m_carriage;
    };

    bool MsnConsole::execute(const std::string& line)
    {
        auto words = platform::splitBlankWords(line, 3);
        if (words.empty())
            return true;
        const std::string command = words[0];
        auto argument = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
        if (command == "exit" || command == "quit")
            return false;
        if (command == "help") {
            m_out << kHelp << std::flush;
        } else if (command == "account") {
            account(words);
        } else if (command == "login") {
            login();
        } else if (command == "logout") {
            m_page.onCommand(msn::command::kLogout);
        } else if (command == "status") {
            static const std::pair<std::string_view, int> kStatusCommands[]
                = { { "NLN", msn::command::kOnline }, { "BSY", msn::command::kBusy },
                      { "BRB", msn::command::kBeRightBack }, { "AWY", msn::command::kAway },
                      { "PHN", msn::command::kOnPhone }, { "LUN", msn::command::kAtLunch },
                      { "HDN", msn::command::kAppearOffline } };
            auto found = std::find_if(std::begin(kStatusCommands), std::end(kStatusCommands),
                [&](const auto& entry) { return entry.first == argument(1); });
            if (found == std::end(kStatusCommands)) {
                m_err << "status: usage: status NLN|BSY|BRB|AWY|PHN|LUN|HDN" << std::endl;
            } else if (m_session.ownStatus() < 0) {
                m_err << "status: not signed on" << std::endl;
            } else {
                m_page.onCommand(found->second);
                auto wanted = msn::statusFromWord(found->first);
                waitFor(
                    [&] { return m_session.ownStatus() == wanted || m_session.ownStatus() < 0; }, "status");
            }
        } else if (command == "contacts") {
            listContacts();
        } else if (command == "add" || command == "rename") {
            // A name may hold blanks: it is the rest of the line.
            auto rest = platform::splitBlankWords(line, 2);
            m_pageView.nextEntry
                = command == "add" ? argument(1) : (rest.size() > 1 ? rest[1] : std::string());
            m_page.onCommand(command == "add" ? msn::command::kAddContact : msn::command::kRename);
            m_loop.processPending();
        } else if (command == "remove" || command == "info" || command == "chat") {
            if (!selectContact(argument(1)))
                return true;
            // "remove" asks first; the next line answers.
            m_page.onCommand(command == "remove" ? msn::command::kDelete
                    : command == "info"          ? msn::command::kInfo
                                                 : msn::command::kChat);
        } else if (command == "say") {
            if (auto* chat = chatAt(argument(1))) {
                m_windows.inputs[chat->index()] = argument(2);
                chat->onSend();
            }
        } else if (command == "invite") {
            if (auto* chat = chatAt(argument(1))) {
                m_windows.nextChoice = argument(2);
                chat->onInvite();
            }
        } else if (command == "close") {
            if (auto* chat = chatAt(argument(1)))
                chat->onCloseWindow();
        } else if (command == "chats") {
            listChats();
        } else if (command == "copy-contacts") {
            m_page.onCommand(msn::command::kCopyAll);
        } else {
            m_err << command << ": unknown command (try help)" << std::endl;
        }
        return true;
    }

    void MsnConsole::account(const std::vector<std::string>& words)
    {
        if (words.size() != 3) {
            m_err << "account: usage: account ID PASSWORD" << std::endl;
            return;
        }
        m_settings.msnId = settings::cutToBytes(words[1], settings::kMsnTextBytes);
        m_settings.msnPassword = settings::cutToBytes(words[2], settings::kMsnTextBytes);
        if (!m_store.storeMessengerAccounts(m_settings))
            m_err << "account: the settings could not be stored" << std::endl;
        m_session.setAccount({ m_settings.msnId, m_settings.msnPassword });
    }

    void MsnConsole::login()
    {
        m_page.onCommand(msn::command::kLogin);
        // Signed on, or back offline after a failure.
        waitFor(
            [&] {
                return m_session.isOnline() || (m_session.ownStatus() < 0 && m_session.transactionId() == 0);
            },
            "sign-on");
    }

    bool MsnConsole::selectContact(const std::string& email)
    {
        int index = m_session.contacts().findByEmail(email);
        if (index < 0) {
            m_err << "no contact " << email << std::endl;
            return false;
        }
        m_pageView.selected = m_session.contacts().at(index).item;
        return true;
    }

    void MsnConsole::listContacts()
    {
        const auto& table = m_session.contacts();
        for (int i = 0; i < table.size(); ++i) {
            const auto& contact = table.at(i);
            if (!contact.email.empty())
                m_out << "contact\t" << contact.email << "\t" << contact.name << "\t"
                      << msn::treeStatusText(contact.status) << std::endl;
        }
    }

    void MsnConsole::listChats()
    {
        for (int slot = 0; slot < msn::MsnChats::kSlots; ++slot) {
            auto& chat = m_chats.chat(slot);
            if (!chat.isInUse())
                continue;
            m_out << "chat " << slot;
            for (int i = 0; i < msn::MsnChat::kMaxParticipants; ++i)
                if (chat.participant(i).status != msn::ChatParticipant::kFree)
                    m_out << "\t" << chat.participant(i).email;
            m_out << std::endl;
        }
    }

    msn::MsnChat* MsnConsole::chatAt(const std::string& slotText)
    {
        int slot = -1;
        auto [end, error] = std::from_chars(slotText.data(), slotText.data() + slotText.size(), slot);
        if (error != std::errc() || slot < 0 || slot >= msn::MsnChats::kSlots || !m_chats.chat(slot).view()) {
            m_err << "no chat " << slotText << std::endl;
            return nullptr;
        }
        return &m_chats.chat(slot);
    }

    void MsnConsole::waitFor(const std::function<bool()>& done, std::string_view what)
    {
        if (!m_loop.runUntil(done, kServerWait))
            m_err << what << ": no answer from the server" << std::endl;
    }

    std::optional<MsnConsoleOptions> parseOptions(
        std::span<const std::string_view> args, std::string_view& homeOption, std::ostream& err)
    {
        MsnConsoleOptions options;
        for (std::size_t i = 0; i < args.size(); ++i) {
            std::string_view value;
            if ((args[i] == "--home" || args[i] == "--msn-server") && i + 1 < args.size())
                value = args[i + 1];
            if (args[i] == "--home" && !value.empty()) {
                homeOption = value;
                ++i;
            } else if (args[i].starts_with("--home=")) {
                homeOption = args[i].substr(7);
            } else if (args[i] == "--msn-server" && !value.empty()) {
                ++i;
                auto colon = value.rfind(':');
                options.server = std::string(value.substr(0, colon));
                if (colon != std::string_view::npos) {
                    auto port = value.substr(colon + 1);
                    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), options.port);
                    if (error != std::errc() || end != port.data() + port.size() || options.port == 0) {
                        err << "quillon-pocket: bad port in --msn-server " << value << std::endl;
                        return std::nullopt;
                    }
                }
            } else if (args[i] != kMsnConsoleOption) {
                err << "quillon-pocket: unknown option " << args[i] << std::endl;
                return std::nullopt;
            }
        }
        return options;
    }

} // namespace

bool wantsMsnConsole(std::span<const std::string_view> args)
{
    return std::find(args.begin(), args.end(), kMsnConsoleOption) != args.end();
}

int runMsnConsoleCommand(
    std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err)
{
    std::string_view homeOption;
    auto options = parseOptions(args, homeOption, err);
    if (!options)
        return 2;
    auto home = platform::prepareHome(platform::Program::Pocket, homeOption);
    if (!home) {
        err << "quillon-pocket: " << platform::describe(home.error()) << std::endl;
        return 1;
    }
    return runMsnConsole(*home, *options, in, out, err);
}

int runMsnConsole(const std::filesystem::path& home, const MsnConsoleOptions& options, std::istream& in,
    std::ostream& out, std::ostream& err)
{
    auto registry = platform::Registry::open(home / "registry.txt");
    if (!registry) {
        err << "quillon-pocket: " << platform::describe(registry.error()) << std::endl;
        return 1;
    }
    MsnConsole console(home, options, in, out, err, **registry);
    return console.run();
}

} // namespace apps::pocket
