#include "pocket/icq/icq_session.h"

#include "platform/decimal_number.h"

#include "pocket/icq/contact_file.h"
#include "pocket/icq/icq_snacs.h"
#include "pocket/link/link_messages.h"

namespace pocket::icq {

namespace {

constexpr std::uint16_t kFamilyService = 0x01;
constexpr std::uint16_t kFamilyLocation = 0x02;
constexpr std::uint16_t kFamilyBuddy = 0x03;
constexpr std::uint16_t kFamilyMessage = 0x04;
constexpr std::uint16_t kFamilyServerList = 0x13;
constexpr std::uint16_t kFamilyExtension = 0x15;

constexpr std::uint16_t kServiceServerFamilies = 0x03;
constexpr std::uint16_t kServiceRateClasses = 0x07;
constexpr std::uint16_t kServiceOwnInfo = 0x0F;
constexpr std::uint16_t kServiceServerVersions = 0x18;
constexpr std::uint32_t kOwnInfoRequestId = 0x0E;

} // namespace

std::optional<std::uint32_t> parseUin(std::string_view text)
{
    return platform::parseDecimal<std::uint32_t>(text);
}

IcqSession::IcqSession(SessionSetup setup, IcqLink& link, platform::Ui& ui, SessionStatusView& view,
    platform::EventLoop& loop)
    : m_setup(std::move(setup))
    , m_link(link)
    , m_ui(ui)
    , m_view(view)
    , m_loop(loop)
    , m_buddyPacer(loop)
    , m_visiblePacer(loop)
    , m_signOnDeadline(loop, *this, kMsgSignOnTimeout)
{
}

IcqSession::~IcqSession()
{
    m_link.close();
}

platform::LResult IcqSession::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    if (msg == link::kMsgIcqReadable)
        return onReadable();
    if (msg == link::kMsgIcqClosed)
        onConnectionEnded();
    // A server that took the connection and then fell silent.
    if (msg == kMsgSignOnTimeout && m_signOnDeadline.expired(wParam) && m_state != SessionState::Idle)
        fail(link::withCause(session_text::kCannotConnect, link::timedOutCause(m_link.peerText())),
            platform::Icon::Warning);
    return 0;
}

std::uint16_t IcqSession::random()
{
    return m_setup.random ? m_setup.random() : 0;
}

std::filesystem::path IcqSession::contactFile() const
{
    return contactFilePath(m_setup.deviceRoot, m_ownUin);
}

void IcqSession::connect(std::string_view icqId, std::string_view password)
{
    auto uin = parseUin(icqId);
    if (!uin || password.empty()) {
        m_ui.messageBox(kIcqTitle, session_text::kEnterAccount, platform::Icon::Warning);
        return;
    }
    m_ownUin = *uin;
    m_password = std::string(password.substr(0, kMaxPasswordBytes));
    m_view.setStatusText(session_text::kServerConnecting);
    startLogin();
}

void IcqSession::startLogin()
{
    if (m_listener)
        m_listener->onLoginStarting();
    ensureContactFile(contactFile());
    m_sequence.reset(random());
    if (!m_link.open(m_setup.loginHost, m_setup.loginPort, false)) {
        failOpen(session_text::kCannotConnect);
        return;
    }
    m_state = SessionState::LoginServer;
    m_signOnDeadline.start();
}

void IcqSession::reset()
{
    m_signOnDeadline.stop();
    m_buddyPacer.stop();
    m_visiblePacer.stop();
    m_link.close();
    m_state = SessionState::Idle;
    m_bosReady = false;
    m_signedOn = false;
    m_ownStatus = kStatusOffline;
    m_cookie.clear();
    if (m_listener)
        m_listener->onReset();
}

void IcqSession::fail(std::string_view text, platform::Icon icon)
{
    m_ui.messageBox(kIcqTitle, text, icon);
    reset();
}

void IcqSession::failOpen(std::string_view text)
{
    fail(link::withCause(text, m_link.failureText()), platform::Icon::Warning);
}

void IcqSession::onConnectionEnded()
{
    m_ui.messageBox(kIcqTitle, session_text::kConnectionEnded, platform::Icon::Information);
    reset();
}

bool IcqSession::sendFrame(std::string_view bytes)
{
    if (!m_link.isOpen() || !m_link.send(bytes)) {
        fail(session_text::kDisconnected, platform::Icon::Warning);
        return false;
    }
    return true;
}

platform::LResult IcqSession::onReadable()
{
    auto read = m_link.readFrame();
    if (read.outcome == ReadOutcome::Closed)
        return -1;
    if (read.outcome == ReadOutcome::Frame)
        handleFrame(read.frame);
    return 0;
}

void IcqSession::handleFrame(const FlapFrame& frame)
{
    switch (frame.channel) {
    case kChannelSignOn:
        handleSignOn();
        break;
    case kChannelSnac:
        handleSnac(frame.data);
        break;
    case kChannelSignOff:
        handleSignOff(frame.data);
        break;
    default:
        // Errors, keep-alives and unknown channels are read and dropped.
        break;
    }
}

void IcqSession::handleSignOn()
{
    if (m_state == SessionState::LoginServer) {
        if (sendFrame(buildLoginFrame(m_sequence.next(), m_ownUin, m_password)))
            m_view.setStatusText(session_text::kUserIdentifying);
    } else if (m_state == SessionState::BosServer) {
        m_sequence.reset(random());
        (void)sendFrame(buildCookieFrame(m_sequence.next(), m_cookie));
    }
}

void IcqSession::handleSignOff(std::string_view data)
{
    auto outcome = readSignOff(data);
    if (auto* refused = std::get_if<SignOnRefused>(&outcome)) {
        fail(refused->text, refused->icon);
        return;
    }
    auto* redirect = std::get_if<SignOnRedirect>(&outcome);
    if (!redirect) {
        fail(sign_on_text::kInvalidData, platform::Icon::Warning);
        return;
    }
    m_cookie = redirect->cookie;
    m_view.setStatusText(session_text::kIdentifyCompletion);
    m_state = SessionState::BosServer;
    m_link.close();
    m_view.setStatusText(session_text::kConnectingService);
    if (!m_link.open(redirect->host, redirect->port, true))
        failOpen(session_text::kBosFailed);
}

void IcqSession::handleSnac(std::string_view data)
{
    ByteReader reader(data);
    auto header = readSnacHeader(reader);
    if (!header)
        return; // A short SNAC header is dropped.
    switch (header->family) {
    case kFamilyService:
        handleService(*header, reader.rest());
        break;
    case kFamilyBuddy:
    case kFamilyMessage:
    case kFamilyExtension:
        if (m_listener)
            m_listener->onSnac(*header, reader.rest());
        break;
    case kFamilyLocation:
    case kFamilyServerList:
    default:
        break;
    }
}

void IcqSession::handleService(const SnacHeader& header, std::string_view data)
{
    switch (header.subtype) {
    case kServiceServerFamilies:
        m_bosReady = true;
        m_ownStatus = kStatusOnline;
        (void)sendFrame(buildFamilyVersions(m_sequence));
        break;
    case kServiceServerVersions:
        (void)sendFrame(buildRateRequest(m_sequence));
        break;
    case kServiceRateClasses:
        if (sendFrame(buildRateAck(m_sequence)))
            (void)sendFrame(buildRightsRequests(m_sequence));
        break;
    case kServiceOwnInfo:
        if (header.requestId == kOwnInfoRequestId && readOwnInfo(data))
            completeSignOn();
        break;
    default:
        break;
    }
}

void IcqSession::completeSignOn()
{
    if (!sendFrame(buildLocationInfo(m_sequence)))
        return;
    m_signOnDeadline.stop();
    m_view.setStatusText(session_text::kRequestBuddyList);
    std::vector<std::string> numbers;
    if (m_listener)
        numbers = m_listener->onSignedOn();
    m_signedOn = true;
    m_buddyPacer.start(numbers, [this](const std::string& number) {
        return sendFrame(buildAddBuddy(m_sequence, number));
    });
    if (m_ownStatus == kStatusInvisible) {
        m_visiblePacer.start(numbers, [this](const std::string& number) {
            return sendFrame(buildVisibleListAdd(m_sequence, number));
        });
    }
    const std::uint32_t cookie = static_cast<std::uint32_t>(random()) << 16 | random();
    if (!sendFrame(buildSignOnStatus(m_sequence, m_link.localAddress(), cookie)))
        return;
    // The original client paused 500 ms here; nothing depends on the pause,
    // and the window thread is not held up for it.
    (void)sendFrame(buildClientReady(m_sequence, m_ownUin));
}

} // namespace pocket::icq
