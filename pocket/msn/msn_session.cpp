#include "pocket/msn/msn_session.h"

#include "platform/profile.h"
#include "pocket/link/link_messages.h"

#include <utility>

namespace pocket::msn {

namespace {

    constexpr std::size_t kMaxCommandBytes = 1024;
    constexpr std::size_t kMaxHostChars = 100;

    std::string id(int transactionId)
    {
        return std::to_string(transactionId);
    }

    bool isNumber(std::string_view field)
    {
        return !field.empty() && field.find_first_not_of("0123456789") == std::string_view::npos;
    }

} // namespace

const MsnSession::Handler MsnSession::kHandlers[] = {
    { "VER", &MsnSession::onVer },
    { "INF", &MsnSession::onInf },
    { "XFR", &MsnSession::onXfr },
    { "USR", &MsnSession::onUsr },
    { "MSG", &MsnSession::onMsg },
    { "CHG", &MsnSession::onChg },
    { "ILN", &MsnSession::onIln },
    { "LST", &MsnSession::onLst },
    { "NLN", &MsnSession::onNln },
    { "FLN", &MsnSession::onFln },
    { "RNG", &MsnSession::onRng },
    { "REA", &MsnSession::onRea },
    { "REM", &MsnSession::onRem },
    { "ADD", &MsnSession::onAdd },
    { "OUT", &MsnSession::onOut },
    { "911", &MsnSession::on911 },
    { "600", &MsnSession::on600 },
};

MsnSession::MsnSession(platform::EventLoop& loop, platform::Ui& ui, MsnLinkFactory& links, MsnConfig config)
    : m_loop(loop)
    , m_ui(ui)
    , m_config(std::move(config))
    , m_link(links.createLink())
    , m_signOnDeadline(loop, *this, msg::kSignOnTimeout)
{
    m_link->setHandlers([this](std::vector<MsnUnit> units) { handleUnits(std::move(units)); },
        [this] { m_loop.post(this, link::kMsgMsnClosed); });
}

MsnSession::~MsnSession()
{
    m_link->close();
}

void MsnSession::setPage(platform::MessageTarget* page, StatusLine* statusLine)
{
    m_page = page;
    m_statusLine = statusLine;
}

bool MsnSession::connect()
{
    if (m_ownStatus >= 0)
        return false;
    if (m_account.loginId.empty() || m_account.password.empty()) {
        m_ui.messageBox(session_text::kTitle, session_text::kNoAccount, platform::Icon::Warning);
        return false;
    }
    m_link->close();
    if (m_switchboards)
        m_switchboards->closeAll();
    m_transactionId = 0;
    m_contacts.clear();

    setStatusLine(session_text::kConnecting);
    // Unlike the original client, the dispatch connection reports its end
    // too: a server gone before its redirect would leave the page waiting.
    if (!m_link->open({ m_config.dispatchHost, m_config.port, false, true })) {
        failConnect();
        return false;
    }
    m_linkInUse = true;
    m_signOnDeadline.start();
    setStatusLine(session_text::kConnected);
    return sendCommand("VER " + id(m_transactionId) + " MSNP5 MSNP4 CVRO\r\n");
}

void MsnSession::failConnect()
{
    failSignOn(m_link->failureText());
}

void MsnSession::failSignOn(const std::string& cause)
{
    // The reset redraws the page, so the status line and a message box
    // come after it: a failed connection is never silent.
    logout();
    setStatusLine(session_text::kCannotConnect);
    m_ui.messageBox(session_text::kTitle, link::withCause(session_text::kCannotConnect, cause),
        platform::Icon::Warning);
}

void MsnSession::clearSession()
{
    m_signOnDeadline.stop();
    m_linkInUse = false;
    m_link->close();
    m_ownStatus = status::kOffline;
    m_transactionId = 0;
    m_contacts.clear();
}

void MsnSession::logout()
{
    m_online = false;
    if (m_link->isOpen())
        (void)m_link->send("OUT\r\n");
    clearSession();
    redraw(static_cast<platform::WParam>(msg::kReset), msg::kReset);
    if (m_switchboards)
        m_switchboards->closeAll();
}

bool MsnSession::sendCommand(std::string_view text)
{
    // The user hears of a lost connection once: here, or when its end is
    // reported, whichever comes first.
    if (!m_link->isOpen()) {
        m_linkInUse = false;
        m_ui.messageBox(session_text::kTitle, session_text::kLinkGone, platform::Icon::Warning);
        m_link->close();
        return false;
    }
    std::string copy(text.substr(0, kMaxCommandBytes));
    ++m_transactionId;
    if (!m_link->send(copy)) {
        m_linkInUse = false;
        m_ui.messageBox(session_text::kTitle, session_text::kNetworkTrouble, platform::Icon::Warning);
        m_loop.post(this, link::kMsgMsnClosed);
        return false;
    }
    return true;
}

bool MsnSession::isOwnAddress(std::string_view email) const
{
    return !email.empty() && platform::equalsIgnoringCase(email, m_account.loginId);
}

void MsnSession::onConnectionEnded()
{
    const bool tell = m_linkInUse;
    logout();
    if (tell)
        m_ui.messageBox(session_text::kTitle, session_text::kLinkGone, platform::Icon::Warning);
}

void MsnSession::postCommand(int message, std::string text)
{
    m_loop.post(this, message, reinterpret_cast<platform::WParam>(new std::string(std::move(text))));
}

platform::LResult MsnSession::onMessage(int message, platform::WParam wParam, platform::LParam)
{
    switch (message) {
    case link::kMsgMsnClosed:
        onConnectionEnded();
        return 0;
    case msg::kSignOnTimeout:
        // A server that took the connection and then fell silent.
        if (m_signOnDeadline.expired(wParam) && isSigningOn())
            failSignOn(link::timedOutCause(m_link->peerText()));
        return 0;
    case msg::kRenameCommand:
    case msg::kAddCommand: {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(wParam));
        if (text)
            sendCommand(*text);
        return 0;
    }
    default:
        return 0;
    }
}

void MsnSession::handleUnits(std::vector<MsnUnit> units)
{
    for (const auto& unit : units) {
        Fields fields = splitFields(unit.line);
        std::string_view command = std::string_view(unit.line).substr(0, 3);
        Outcome outcome = Outcome::Continue;
        m_prepared.clear();
        for (const auto& handler : kHandlers) {
            if (handler.command == command) {
                outcome = (this->*handler.handle)(fields, unit);
                break;
            }
        }
        if (outcome == Outcome::Abandon)
            return;
        if (!m_prepared.empty())
            sendCommand(std::exchange(m_prepared, {}));
        if (outcome == Outcome::StopAfterSend)
            return;
    }
}

void MsnSession::setStatusLine(std::string_view text)
{
    if (m_statusLine)
        m_statusLine->setStatusLine(text);
}

void MsnSession::redraw(platform::WParam which, platform::LParam how)
{
    if (m_page)
        m_loop.send(m_page, msg::kRedraw, which, how);
}

MsnSession::Outcome MsnSession::onVer(const Fields&, const MsnUnit&)
{
    m_prepared = "INF " + id(m_transactionId) + "\r\n";
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onInf(const Fields& fields, const MsnUnit&)
{
    if (fieldAt(fields, 3).substr(0, 3) == "MD5")
        m_prepared = "USR " + id(m_transactionId) + "  MD5  I  " + m_account.loginId + "\r\n";
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onXfr(const Fields& fields, const MsnUnit&)
{
    if (fieldAt(fields, 3) == "NS") {
        redirect(fieldAt(fields, 4));
        return Outcome::Abandon;
    }
    if (fieldAt(fields, 3) == "SB" && m_switchboards)
        m_switchboards->onSwitchboardGranted(fieldAt(fields, 4), fieldAt(fields, 6));
    return Outcome::Continue;
}

void MsnSession::redirect(std::string_view address)
{
    m_link->close();
    std::string host(address.substr(0, address.find(':')).substr(0, kMaxHostChars));
    if (!m_link->open({ host, m_config.port, true, true })) {
        failConnect();
        return;
    }
    m_linkInUse = true;
    setStatusLine(session_text::kConnected2);
    sendCommand("VER " + id(m_transactionId) + " MSNP5 MSNP4 CVRO\r\n");
}

MsnSession::Outcome MsnSession::onUsr(const Fields& fields, const MsnUnit&)
{
    if (fieldAt(fields, 3) == "MD5") {
        m_prepared = "USR " + id(m_transactionId) + " MD5 S "
            + challengeAnswer(fieldAt(fields, 5), m_account.password) + "\r\n";
    } else if (fieldAt(fields, 3) == "OK") {
        m_ownName = decodeName(fieldAt(fields, 5));
        setStatusLine(m_ownName + " (온라인)");
        m_ownStatus = status::kOnline;
        m_signOnDeadline.stop();
        m_prepared = "CHG " + id(m_transactionId) + " NLN\r\n";
    }
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onMsg(const Fields& fields, const MsnUnit&)
{
    // The profile message after log-in; its body (the payload) is not read.
    if (fieldAt(fields, 2) == "Hotmail")
        m_prepared = "LST " + id(m_transactionId) + " FL\r\n";
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onChg(const Fields& fields, const MsnUnit&)
{
    m_ownStatus = ownStatusFromWord(fieldAt(fields, 3));
    if (m_ownStatus == status::kOnline)
        m_online = true;
    setStatusLine(ownStatusLine(m_ownStatus, m_account.loginId));
    redraw(msg::kRedrawStatusLine);
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onIln(const Fields& fields, const MsnUnit&)
{
    setStatusLine(session_text::kDownloading);
    return addContact(fieldAt(fields, 4), statusFromWord(fieldAt(fields, 3)), fieldAt(fields, 5), true);
}

MsnSession::Outcome MsnSession::onLst(const Fields& fields, const MsnUnit&)
{
    setStatusLine(session_text::kDownloadingList);
    if (fieldAt(fields, 3) != "FL")
        return Outcome::Continue;
    return addContact(fieldAt(fields, 7), status::kOffline, fieldAt(fields, 8), true);
}

MsnSession::Outcome MsnSession::onAdd(const Fields& fields, const MsnUnit&)
{
    // "ADD trid list serial email name"; some servers leave the serial out.
    const std::string_view list = fieldAt(fields, 3);
    const std::size_t at = isNumber(fieldAt(fields, 4)) ? 5 : 4;
    const std::string_view email = fieldAt(fields, at);
    // Only the forward list is the user's own; the reverse list says who
    // added the user, which is news and no contact.
    if (list == "FL")
        return addContact(email, statusFromWord(list), fieldAt(fields, at + 1), false);
    if (list == "RL" && !email.empty()) {
        m_ui.messageBox(session_text::kTitle,
            decodeName(fieldAt(fields, at + 1)) + " (" + std::string(email) + ")"
                + std::string(session_text::kAddedBy),
            platform::Icon::Information);
    }
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::addContact(
    std::string_view email, MsnStatusCode code, std::string_view name, bool redrawWhenKnown)
{
    // An empty list ("LST 8 FL 1 0 0") names nobody.
    if (email.empty())
        return Outcome::Continue;
    if (m_contacts.findByEmail(email) >= 0) {
        if (redrawWhenKnown)
            redraw(msg::kRedrawStatusLine);
        return Outcome::Continue;
    }
    if (m_contacts.isFull()) {
        m_ui.messageBox(session_text::kTitle, session_text::kListFull, platform::Icon::Warning);
        return Outcome::Abandon;
    }
    int index = m_contacts.add({ std::string(email), decodeName(name), code, 0 });
    redraw(static_cast<platform::WParam>(index));
    redraw(msg::kRedrawStatusLine);
    return Outcome::Continue;
}

bool MsnSession::addPresence(std::string_view email, MsnStatusCode code, std::string_view name)
{
    // Some servers never send the list and name the contacts by their
    // presence alone. A full table or the user's own address lists nobody,
    // and the lines after it still count.
    if (email.empty() || isOwnAddress(email) || m_contacts.isFull())
        return false;
    int index = m_contacts.add({ std::string(email), decodeName(name), code, 0 });
    redraw(static_cast<platform::WParam>(index));
    return true;
}

MsnSession::Outcome MsnSession::onNln(const Fields& fields, const MsnUnit&)
{
    int index = m_contacts.findByEmail(fieldAt(fields, 3));
    if (index < 0) {
        addPresence(fieldAt(fields, 3), statusFromWord(fieldAt(fields, 2)), fieldAt(fields, 4));
        return Outcome::Continue;
    }
    auto& contact = m_contacts.at(index);
    if (auto presence = presenceFromWord(fieldAt(fields, 2)))
        contact.status = *presence;
    contact.name = decodeName(fieldAt(fields, 4));
    redraw(static_cast<platform::WParam>(index));
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onFln(const Fields& fields, const MsnUnit&)
{
    int index = m_contacts.findByEmail(fieldAt(fields, 2));
    if (index >= 0) {
        m_contacts.at(index).status = status::kOffline;
        redraw(static_cast<platform::WParam>(index));
    }
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onRng(const Fields& fields, const MsnUnit&)
{
    if (m_switchboards)
        m_switchboards->onInvitation(fields);
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onRea(const Fields& fields, const MsnUnit&)
{
    m_ownName = decodeName(fieldAt(fields, 5));
    redraw(msg::kRedrawStatusLine);
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onRem(const Fields& fields, const MsnUnit&)
{
    int index = m_contacts.findByEmail(fieldAt(fields, 5));
    if (index < 0)
        return Outcome::Continue;
    if (m_page)
        m_loop.send(m_page, msg::kDeleteContact, static_cast<platform::WParam>(index));
    else
        m_contacts.clearRecord(index);
    return Outcome::Continue;
}

MsnSession::Outcome MsnSession::onOut(const Fields&, const MsnUnit&)
{
    m_online = false;
    clearSession();
    m_ui.messageBox(session_text::kTitle, session_text::kLoggedOutElsewhere, platform::Icon::Warning);
    logout();
    return Outcome::Abandon;
}

MsnSession::Outcome MsnSession::on911(const Fields&, const MsnUnit&)
{
    // Servers may keep the connection open after 911; the session ends here
    // rather than wait for them.
    m_ui.messageBox(session_text::kTitle, session_text::kBadPassword, platform::Icon::Warning);
    logout();
    return Outcome::Abandon;
}

MsnSession::Outcome MsnSession::on600(const Fields&, const MsnUnit&)
{
    m_ui.messageBox(session_text::kTitle, session_text::kServiceDown, platform::Icon::Warning);
    return Outcome::Continue;
}

} // namespace pocket::msn
