#include "pocket/msn/msn_chat.h"

#include "platform/codepage.h"
#include "pocket/msn/msn_pen_codec.h"
#include "pocket/msn/msn_session.h"

namespace pocket::msn {

namespace {

    constexpr std::size_t kMaxCookieBytes = 100;

    std::string cut(std::string_view text, std::size_t bytes)
    {
        return std::string(platform::cutBytes(text, bytes));
    }

} // namespace

MsnChat::MsnChat(int index, ChatContext& context)
    : m_index(index)
    , m_context(context)
    , m_link(context.links.createLink())
{
    m_link->setHandlers([this](std::vector<MsnUnit> units) { handleUnits(std::move(units)); }, {});
}

MsnChat::~MsnChat()
{
    m_context.loop.killTimer(*this, kWatchdogTimer);
    m_link->close();
}

bool MsnChat::hasParticipant(std::string_view email) const
{
    return findParticipant(email) >= 0;
}

int MsnChat::findParticipant(std::string_view email) const
{
    if (email.empty())
        return -1;
    for (int i = 0; i < kMaxParticipants; ++i) {
        const auto& p = m_participants[static_cast<std::size_t>(i)];
        if (p.status != ChatParticipant::kFree && p.email == email)
            return i;
    }
    return -1;
}

void MsnChat::claimForGrant(std::string_view address, std::string_view cookie, ChatParticipant first)
{
    m_slotIndex = m_index;
    m_host = cut(address.substr(0, address.find(':')), kMaxCookieBytes);
    m_initiator = true;
    m_cookie = cut(cookie, kMaxCookieBytes);
    m_participants[0] = std::move(first);
}

void MsnChat::claimForInvitation(const std::vector<std::string>& fields, bool reuse)
{
    std::string_view email = fieldAt(fields, 6);
    if (reuse) {
        if (int i = findParticipant(email); i >= 0)
            m_participants[static_cast<std::size_t>(i)].status = status::kOnline;
        m_newWindow = false;
    }
    m_slotIndex = m_index;
    std::string_view address = fieldAt(fields, 3);
    m_host = cut(address.substr(0, address.find(':')), kMaxCookieBytes);
    m_sessionId = cut(fieldAt(fields, 2), kMaxCookieBytes);
    m_initiator = false;
    m_cookie = cut(fieldAt(fields, 5), kMaxCookieBytes);
    m_participants[0] = { std::string(email), decodeName(fieldAt(fields, 7)), status::kOnline };
}

void MsnChat::createWindow()
{
    m_view = m_context.windows.createChatWindow(m_index);
    m_windowShown = false;
}

bool MsnChat::connect()
{
    if (m_newWindow || !m_view)
        createWindow();
    m_count = 1;
    m_transactionId = 0;
    for (int i = 1; i < kMaxParticipants; ++i)
        m_participants[static_cast<std::size_t>(i)] = {};
    if (!m_link->open({ m_host, m_context.port, true, false })) {
        m_context.ui.messageBox(chat_text::kTitle, chat_text::kCannotConnect, platform::Icon::Warning);
        // The slot is given back, so that it is not lost until the next log-out.
        close();
        return false;
    }
    const std::string& ownId = m_context.session.account().loginId;
    if (!m_initiator)
        return send("ANS " + std::to_string(m_transactionId) + " " + cut(ownId, kMaxCookieBytes) + " "
            + m_cookie + " " + m_sessionId + "\r\n");
    showWindow();
    return send("USR " + std::to_string(m_transactionId) + " " + cut(ownId, kMaxCookieBytes) + " " + m_cookie
        + "\r\n");
}

void MsnChat::showWindow()
{
    if (m_view)
        m_view->show();
    m_windowShown = true;
    m_newWindow = false;
}

bool MsnChat::send(std::string_view text)
{
    // The whole command goes out: a MSG command cut short would leave the
    // switchboard waiting for payload bytes that never come.
    ++m_transactionId;
    if (!m_link->send(text)) {
        m_link->close();
        m_context.ui.messageBox(chat_text::kTitle, chat_text::kNetworkTrouble, platform::Icon::Warning);
        return false;
    }
    return true;
}

bool MsnChat::sendMessage(std::string_view payload)
{
    return send(messageCommand(m_transactionId, payload));
}

void MsnChat::handleUnits(std::vector<MsnUnit> units)
{
    for (const auto& unit : units) {
        if (!isInUse())
            return;
        onUnit(unit);
    }
}

void MsnChat::onUnit(const MsnUnit& unit)
{
    auto fields = splitFields(unit.line);
    std::string_view command = std::string_view(unit.line).substr(0, 3);
    // Some switchboards name the user among the others (in any case): the
    // user is not a participant of its own chat.
    auto other = [&](std::size_t field) { return !m_context.session.isOwnAddress(fieldAt(fields, field)); };
    if (command == "USR") {
        if (fieldAt(fields, 3) == "OK")
            send("CAL " + std::to_string(m_transactionId) + " " + m_participants[0].email + "\r\n");
    } else if (command == "JOI" && other(2)) {
        join(fieldAt(fields, 2), fieldAt(fields, 3), true);
    } else if (command == "IRO" && other(5)) {
        join(fieldAt(fields, 5), fieldAt(fields, 6), false);
    } else if (command == "MSG") {
        onMessage(fields, unit);
    } else if (command == "BYE" && other(2)) {
        leave(fieldAt(fields, 2));
    }
    // CAL, NAK, ANS and everything else: nothing to do.
}

void MsnChat::join(std::string_view email, std::string_view name, bool notice)
{
    int i = findParticipant(email);
    bool wasAbsent = i < 0;
    if (wasAbsent) {
        for (int j = 0; j < kMaxParticipants && i < 0; ++j)
            if (m_participants[static_cast<std::size_t>(j)].status == ChatParticipant::kFree)
                i = j;
        if (i < 0) {
            if (notice)
                m_context.ui.messageBox(chat_text::kTitle, chat_text::kTooMany, platform::Icon::Warning);
            return;
        }
    }
    auto& participant = m_participants[static_cast<std::size_t>(i)];
    if (wasAbsent || i == 0)
        ++m_count;
    participant.email = std::string(email);
    participant.name = decodeName(name);
    participant.status = status::kOnline;
    refillParticipants();
    if (m_count > 2)
        m_oneToOne = false;
    if (m_view)
        m_view->setTitle(m_participants[0].email);
    if (!m_oneToOne && notice)
        appendLog("\r\n** " + participant.name + " 님 입장 **");
    if (m_oneToOne && m_context.pen)
        m_context.pen->onJoined(*this);
}

void MsnChat::leave(std::string_view email)
{
    int i = findParticipant(email);
    if (i < 0)
        return;
    auto& participant = m_participants[static_cast<std::size_t>(i)];
    bool oneToOne = m_oneToOne;
    if (oneToOne) {
        appendLog("\r\n** " + participant.name + " 님의 퇴장으로 1:1 채팅이 종료되었습니다. **");
        if (m_view) {
            m_view->setPenEnabled(false);
            m_view->setSendEnabled(false);
            m_view->setInviteEnabled(false);
        }
    } else {
        appendLog("\r\n** " + participant.name + " 님이 퇴장하셨습니다. **");
        --m_count;
    }
    participant = {};
    if (oneToOne)
        close();
    refillParticipants();
    if (m_view)
        m_view->setTitle(m_participants[0].email);
}

void MsnChat::onMessage(const std::vector<std::string>& fields, const MsnUnit& unit)
{
    if (!unit.payload)
        return;
    std::string_view body = messageBody(*unit.payload);
    if (body.empty())
        return;
    if (!m_windowShown)
        showWindow();
    std::string name = decodeName(fieldAt(fields, 3));
    if (body.front() != kPenMark) {
        if (m_view)
            m_view->bringToFront();
        appendLog("\r\n" + name + "님의 말:\r\n" + std::string(body));
        if (m_view)
            m_view->messageReceived(fieldAt(fields, 2), body);
        return;
    }
    if (m_view)
        m_view->setSendEnabled(false);
    if (m_context.pen)
        m_context.pen->onPenMessage(*this, name, body);
    if (m_view)
        m_view->setSendEnabled(true);
}

void MsnChat::refillParticipants()
{
    if (!m_view)
        return;
    std::vector<std::string> entries { m_context.session.account().loginId };
    for (const auto& p : m_participants)
        if (p.status == status::kOnline)
            entries.push_back(p.email);
    m_view->setParticipants(entries);
}

void MsnChat::appendLog(std::string_view text)
{
    if (m_view)
        m_view->appendLog(text);
}

void MsnChat::onSend()
{
    if (!m_view)
        return;
    std::string text(platform::cutCodePoints(m_view->takeInput(), kMaxInputChars));
    if (text.empty())
        return;
    appendLog("\r\n" + m_context.session.ownName() + " 님의 말:\r\n" + text);
    m_view->setSendEnabled(false);
    sendMessage(std::string(kTextHeader) + text);
    m_view->setSendEnabled(true);
}

void MsnChat::onInvite()
{
    auto email = m_context.windows.chooseContact(chat_text::kInviteCaption, m_context.session.contacts());
    if (email && !email->empty())
        send("CAL " + std::to_string(m_transactionId) + " " + *email + "\r\n");
}

void MsnChat::onPen()
{
    if (m_context.pen)
        m_context.pen->onPenButton(*this);
}

void MsnChat::onLogFull()
{
    if (m_context.ui.question(chat_text::kTitle, chat_text::kLogFull, platform::Buttons::OkCancel)
            == platform::Answer::Ok
        && m_view)
        m_view->clearLog();
}

void MsnChat::onCloseWindow()
{
    if (m_context.pen && !m_context.pen->mayClose(*this))
        return;
    close();
    m_view.reset();
    m_windowShown = false;
}

void MsnChat::close()
{
    if (m_context.pen && isInUse())
        m_context.pen->onChatClosed(*this);
    stopWatchdog();
    m_link->close();
    m_oneToOne = true;
    m_slotIndex = kFreeSlot;
    m_newWindow = true;
    m_count = 1;
    m_sessionId.clear();
    m_cookie.clear();
    m_transactionId = 0;
    for (auto& p : m_participants)
        p = {};
}

void MsnChat::startWatchdog()
{
    m_context.loop.setTimer(*this, kWatchdogTimer, kWatchdogMs);
}

void MsnChat::stopWatchdog()
{
    m_context.loop.killTimer(*this, kWatchdogTimer);
}

void MsnChat::onTimer(int id)
{
    if (id != kWatchdogTimer)
        return;
    // One notice per silence, not one every 20 seconds.
    stopWatchdog();
    appendLog(chat_text::kReceiveDelayed);
}

} // namespace pocket::msn
