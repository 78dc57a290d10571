#include "apps/quillon-pocket/console_icq.h"

#include "apps/quillon-pocket/console_pen.h"
#include "apps/quillon-pocket/icq_console_views.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/console_words.h"
#include "platform/terminal_text.h"
#include "pocket/app/handheld.h"

#include <algorithm>
#include <ostream>

namespace apps::pocket {

namespace icq = ::pocket::icq;

namespace {

constexpr const char* kHelp
    = "  icq account NUMBER PASSWORD        store the ICQ account (ICQID, ICQPASS)\n"
      "  icq login | logout                 sign on to ICQ or off\n"
      "  icq status WORD                    online chat away na occupied dnd invisible\n"
      "  icq contacts                       the contacts: contact icq NUMBER STATUS NAME\n"
      "  icq add NUMBER | remove NUMBER     add or remove a contact\n"
      "  icq info NUMBER                    a contact's information\n"
      "  icq send NUMBER TEXT               send a text to a contact\n"
      "  icq broadcast NUMBER[,NUMBER...] TEXT   send a text to several contacts\n"
      "  icq pen NUMBER FILE.ink            send a pen message to a contact\n";

struct StatusCommand {
    std::string_view word;
    int command;
};
constexpr StatusCommand kStatusCommands[] = { { "online", icq::command::kStatusOnline },
    { "chat", icq::command::kStatusFreeForChat }, { "away", icq::command::kStatusAway },
    { "na", icq::command::kStatusNotAvailable }, { "occupied", icq::command::kStatusOccupied },
    { "dnd", icq::command::kStatusDoNotDisturb }, { "invisible", icq::command::kStatusInvisible } };

std::vector<std::string> splitNumbers(const std::string& list)
{
    std::vector<std::string> numbers;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        if (comma > start)
            numbers.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return numbers;
}

} // namespace

ConsoleIcq::ConsoleIcq(
    ::pocket::app::Handheld& handheld, ConsoleIcqViews& views, std::ostream& out, std::ostream& err, WaitFor waitFor)
    : m_handheld(handheld)
    , m_views(views)
    , m_out(out)
    , m_err(err)
    , m_waitFor(std::move(waitFor))
{
}

const char* ConsoleIcq::help()
{
    return kHelp;
}

void ConsoleIcq::execute(const std::string& line)
{
    auto words = platform::splitBlankWords(line, 3);
    auto argument = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    const std::string verb = argument(0);
    if (verb == "account" && words.size() == 3) {
        account(words[1], words[2]);
    } else if (verb == "login") {
        login();
    } else if (verb == "logout") {
        // Asks first; the next line answers.
        (void)command(icq::command::kLogout);
    } else if (verb == "status") {
        setStatus(argument(1));
    } else if (verb == "contacts") {
        listContacts();
    } else if (verb == "add") {
        m_views.nextNumber = argument(1);
        (void)command(icq::command::kAddContact);
    } else if (verb == "remove") {
        (void)command(icq::command::kDeleteContact, argument(1));
    } else if (verb == "info") {
        (void)command(icq::command::kContactInfo, argument(1));
    } else if (verb == "send") {
        send(argument(1), argument(2));
    } else if (verb == "broadcast") {
        broadcast(argument(1), argument(2));
    } else if (verb == "pen") {
        sendPen(argument(1), argument(2));
    } else {
        m_err << "icq: usage: icq account|login|logout|status|contacts|add|remove|info|send|broadcast|pen (try help)"
              << std::endl;
    }
}

bool ConsoleIcq::command(int id, const std::string& selected)
{
    return m_handheld.onIcqCommand(id, selected);
}

void ConsoleIcq::account(const std::string& number, const std::string& password)
{
    auto& settings = m_handheld.settings();
    settings.icqId = std::string(platform::cutCodePoints(number, ::pocket::settings::kAccountChars));
    settings.icqPassword = std::string(platform::cutCodePoints(password, ::pocket::settings::kAccountChars));
    if (!m_handheld.store().storeMessengerAccounts(settings))
        m_err << "icq account: the settings could not be stored" << std::endl;
}

void ConsoleIcq::login()
{
    auto& session = m_handheld.icq().session;
    (void)command(icq::command::kConnect);
    // Signed on (the contact list loaded), or back to idle after a failure.
    if (!m_waitFor([&] { return session.isSignedOn() || session.state() == icq::SessionState::Idle; }))
        m_err << "icq login: no answer from the server" << std::endl;
}

void ConsoleIcq::setStatus(const std::string& word)
{
    auto found = std::find_if(
        std::begin(kStatusCommands), std::end(kStatusCommands), [&](const auto& entry) { return entry.word == word; });
    if (found == std::end(kStatusCommands)) {
        m_err << "icq status: usage: icq status online|chat|away|na|occupied|dnd|invisible" << std::endl;
        return;
    }
    if (!m_handheld.icq().session.isBosReady()) {
        m_err << "icq status: not signed on" << std::endl;
        return;
    }
    (void)command(found->command);
}

void ConsoleIcq::listContacts()
{
    for (const auto& contact : m_handheld.icq().messenger.contacts())
        printIcqContact(m_out, contact);
}

void ConsoleIcq::send(const std::string& number, const std::string& text)
{
    auto& messenger = m_handheld.icq().messenger;
    // "인스턴트 메세지", then the window's "보내기".
    (void)command(icq::command::kOpenMessageWindow, number);
    auto slot = messenger.windows().find(number);
    if (!slot) {
        m_err << "icq send: no message window for " << platform::terminalSafe(number) << std::endl;
        return;
    }
    messenger.onWindowSend(*slot, text);
}

void ConsoleIcq::broadcast(const std::string& numbers, const std::string& text)
{
    m_views.nextBroadcast = icq::BroadcastRequest { splitNumbers(numbers), text };
    (void)command(icq::command::kBroadcast);
}

void ConsoleIcq::sendPen(const std::string& number, const std::string& file)
{
    if (file.empty()) {
        m_err << "icq pen: usage: icq pen NUMBER FILE.ink" << std::endl;
        return;
    }
    // "펜 메세지": the carriage opens its editor, which asks the peer first.
    (void)command(icq::command::kPenMessage, number);
    auto& pen = m_handheld.icq().pen;
    PenSend send { [&pen] { return pen.editor(); }, m_waitFor, platform::toLocalTime(m_handheld.loop().clock().now()),
        "icq", number };
    sendInkFile(send, file, m_out, m_err);
}

} // namespace apps::pocket
