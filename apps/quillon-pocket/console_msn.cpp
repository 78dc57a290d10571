#include "apps/quillon-pocket/console_msn.h"

#include "apps/quillon-pocket/console_pen.h"
#include "apps/quillon-pocket/msn_console_views.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/console_words.h"
#include "platform/decimal_number.h"
#include "platform/terminal_text.h"
#include "pocket/app/handheld.h"

#include <algorithm>
#include <ostream>

namespace apps::pocket {

namespace msn = ::pocket::msn;

namespace {

constexpr const char* kHelp
    = "  msn account ID PASSWORD            store the MSN account (MSNID, MSNPASS)\n"
      "  msn login | logout                 sign on to MSN or off\n"
      "  msn status WORD                    NLN BSY BRB AWY PHN LUN HDN\n"
      "  msn contacts                       the contacts: contact msn EMAIL STATUS NAME\n"
      "  msn add EMAIL | remove EMAIL       add or remove a contact\n"
      "  msn rename NAME                    change the own friendly name\n"
      "  msn info EMAIL                     a contact's information\n"
      "  msn chat EMAIL | chats             open a chat (chat SLOT EMAIL), list the chats\n"
      "  msn say SLOT TEXT                  send a text in chat SLOT\n"
      "  msn invite SLOT EMAIL              invite a contact into chat SLOT\n"
      "  msn pen SLOT FILE.ink              send a pen message in a one-to-one chat\n"
      "  msn close SLOT                     close chat SLOT\n"
      "  msn copy-contacts                  copy every contact into the device contacts\n";

struct StatusCommand {
    std::string_view word;
    int command;
};
constexpr StatusCommand kStatusCommands[] = { { "NLN", msn::command::kOnline }, { "BSY", msn::command::kBusy },
    { "BRB", msn::command::kBeRightBack }, { "AWY", msn::command::kAway }, { "PHN", msn::command::kOnPhone },
    { "LUN", msn::command::kAtLunch }, { "HDN", msn::command::kAppearOffline } };

} // namespace

ConsoleMsn::ConsoleMsn(::pocket::app::Handheld& handheld, MsnConsolePageView& page, MsnConsoleWindows& windows,
    std::ostream& out, std::ostream& err, WaitFor waitFor)
    : m_handheld(handheld)
    , m_page(page)
    , m_windows(windows)
    , m_out(out)
    , m_err(err)
    , m_waitFor(std::move(waitFor))
{
}

const char* ConsoleMsn::help()
{
    return kHelp;
}

void ConsoleMsn::execute(const std::string& line)
{
    auto words = platform::splitBlankWords(line, 3);
    auto argument = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    const std::string verb = argument(0);
    if (verb == "account" && words.size() == 3) {
        account(words[1], words[2]);
    } else if (verb == "login") {
        login();
    } else if (verb == "logout") {
        m_handheld.onMsnCommand(msn::command::kLogout);
    } else if (verb == "status") {
        setStatus(argument(1));
    } else if (verb == "contacts") {
        listContacts();
    } else if (verb == "add" || verb == "rename") {
        // A name may hold blanks: it is the rest of the line.
        auto rest = platform::splitBlankWords(line, 2);
        m_page.nextEntry = rest.size() > 1 ? rest[1] : std::string();
        m_handheld.onMsnCommand(verb == "add" ? msn::command::kAddContact : msn::command::kRename);
        m_handheld.loop().processPending();
    } else if (verb == "remove" || verb == "info") {
        // "remove" asks first; the next line answers.
        if (selectContact(argument(1)))
            m_handheld.onMsnCommand(verb == "remove" ? msn::command::kDelete : msn::command::kInfo);
    } else if (verb == "chat") {
        openChat(argument(1));
    } else if (verb == "chats") {
        listChats();
    } else if (verb == "say") {
        if (auto* chat = chatAt(argument(1))) {
            m_windows.inputs[chat->index()] = argument(2);
            chat->onSend();
        }
    } else if (verb == "invite") {
        if (auto* chat = chatAt(argument(1))) {
            m_windows.nextChoice = argument(2);
            chat->onInvite();
        }
    } else if (verb == "pen") {
        sendPen(argument(1), argument(2));
    } else if (verb == "close") {
        if (auto* chat = chatAt(argument(1)))
            chat->onCloseWindow();
    } else if (verb == "copy-contacts") {
        m_handheld.onMsnCommand(msn::command::kCopyAll);
    } else {
        m_err << "msn: usage: msn account|login|logout|status|contacts|add|remove|rename|info|chat|chats|say|"
                 "invite|pen|close|copy-contacts (try help)"
              << std::endl;
    }
}

void ConsoleMsn::waitFor(const std::function<bool()>& done, const char* what)
{
    if (!m_waitFor(done))
        m_err << "msn " << what << ": no answer from the server" << std::endl;
}

void ConsoleMsn::account(const std::string& id, const std::string& password)
{
    auto& settings = m_handheld.settings();
    settings.msnId = std::string(platform::cutBytes(id, ::pocket::settings::kMsnTextBytes));
    settings.msnPassword = std::string(platform::cutBytes(password, ::pocket::settings::kMsnTextBytes));
    if (!m_handheld.store().storeMessengerAccounts(settings))
        m_err << "msn account: the settings could not be stored" << std::endl;
}

void ConsoleMsn::login()
{
    auto& session = m_handheld.msn().session;
    m_handheld.onMsnCommand(msn::command::kLogin);
    // Signed on, or back offline after a failure.
    waitFor([&] { return session.isOnline() || (session.ownStatus() < 0 && session.transactionId() == 0); },
        "login");
}

void ConsoleMsn::setStatus(const std::string& word)
{
    auto found = std::find_if(
        std::begin(kStatusCommands), std::end(kStatusCommands), [&](const auto& entry) { return entry.word == word; });
    auto& session = m_handheld.msn().session;
    if (found == std::end(kStatusCommands)) {
        m_err << "msn status: usage: msn status NLN|BSY|BRB|AWY|PHN|LUN|HDN" << std::endl;
    } else if (session.ownStatus() < 0) {
        m_err << "msn status: not signed on" << std::endl;
    } else {
        m_handheld.onMsnCommand(found->command);
        const auto wanted = msn::statusFromWord(found->word);
        waitFor([&] { return session.ownStatus() == wanted || session.ownStatus() < 0; }, "status");
    }
}

void ConsoleMsn::listContacts()
{
    const auto& table = m_handheld.msn().session.contacts();
    for (int i = 0; i < table.size(); ++i) {
        if (!table.at(i).email.empty())
            printMsnContact(m_out, table.at(i));
    }
}

bool ConsoleMsn::selectContact(const std::string& email)
{
    const auto& table = m_handheld.msn().session.contacts();
    int index = table.findByEmail(email);
    if (index < 0) {
        m_err << "msn: no contact " << platform::terminalSafe(email) << std::endl;
        return false;
    }
    m_page.selected = table.at(index).item;
    return true;
}

void ConsoleMsn::openChat(const std::string& email)
{
    if (!selectContact(email))
        return;
    auto& chats = m_handheld.msn().chats;
    m_handheld.onMsnCommand(msn::command::kChat);
    // Open once the contact has joined the switchboard (the count holds the
    // user too).
    msn::MsnChat* chat = nullptr;
    waitFor(
        [&] {
            chat = chats.findChatWith(email);
            return chat && chat->participantCount() > 1;
        },
        "chat");
    if (chat && chat->participantCount() > 1)
        m_out << "chat\t" << chat->index() << "\t" << platform::terminalSafe(email) << std::endl;
}

void ConsoleMsn::listChats()
{
    auto& chats = m_handheld.msn().chats;
    for (int slot = 0; slot < msn::MsnChats::kSlots; ++slot) {
        auto& chat = chats.chat(slot);
        if (!chat.isInUse())
            continue;
        m_out << "chat\t" << slot;
        for (int i = 0; i < msn::MsnChat::kMaxParticipants; ++i) {
            if (chat.participant(i).status != msn::ChatParticipant::kFree)
                m_out << "\t" << platform::terminalSafe(chat.participant(i).email);
        }
        m_out << std::endl;
    }
}

void ConsoleMsn::sendPen(const std::string& slot, const std::string& file)
{
    auto* chat = chatAt(slot);
    if (!chat)
        return;
    if (file.empty()) {
        m_err << "msn pen: usage: msn pen SLOT FILE.ink" << std::endl;
        return;
    }
    // "PEN": the carriage opens its editor, which asks the peer first.
    chat->onPen();
    std::string peer = chat->participantCount() > 0 ? chat->participant(0).email : std::string();
    PenSend send { [this] { return m_windows.editor(); }, m_waitFor,
        platform::toLocalTime(m_handheld.loop().clock().now()), "msn", peer };
    sendInkFile(send, file, m_out, m_err);
}

msn::MsnChat* ConsoleMsn::chatAt(const std::string& slotText)
{
    int slot = platform::parseDecimal<int>(slotText).value_or(-1);
    auto& chats = m_handheld.msn().chats;
    if (slot < 0 || slot >= msn::MsnChats::kSlots || !chats.chat(slot).view()) {
        m_err << "msn: no chat " << platform::terminalSafe(slotText) << std::endl;
        return nullptr;
    }
    return &chats.chat(slot);
}

} // namespace apps::pocket
