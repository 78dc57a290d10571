#include "pocket/link/pc_link.h"

#include "proto/upload_frames.h"

#include "platform/tls/tls_identity.h"

#include "platform/codepage.h"
#include "platform/ui.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_request.h"

#include <cctype>

namespace pocket::link {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kNotConnectedText = "서버와 연결이 안된 상태입니다. 접속해주세요.";
constexpr const char* kSendFailedText = "네트웍 문제나 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.";
constexpr const char* kConnectionEndedText = "서버 연결이 종료되었습니다.";
constexpr const char* kLoginMismatchText
    = "PC프로그램의 사용자 정보와, PDA 사용자 정보가 일치하지 않습니다.\n정확한 정보입력을 하신후 다시 시도해주세요!";
constexpr const char* kLoginMalformedText = "로그인 초기화 실패.\npc 프로그램의 버전이 최신 버전인지 확인해 주십시오.";
constexpr const char* kLoggedInText = "로그인되었습니다.";
constexpr const char* kLogoutQuestion = "접속을 종료하시겠습니까?";

enum SendFailure : platform::WParam {
    NoConnection = 0,
    SendBroke = 1,
};

} // namespace

std::vector<std::string> parseDriveList(std::string_view answerText)
{
    std::vector<std::string> drives;
    std::size_t slash = answerText.find('\\');
    if (slash == std::string_view::npos)
        return drives;
    std::string_view list = answerText.substr(slash + 1);
    // Two characters per drive ("C:D:"), until a backslash or the end; an
    // odd character left at the end names no drive.
    while (list.size() >= 2 && list[0] != '\\' && drives.size() < kMaxDrives) {
        std::string drive(list.substr(0, 2));
        for (char& c : drive)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        drives.push_back(std::move(drive));
        list.remove_prefix(2);
    }
    return drives;
}

std::string linkStateText(LinkState state)
{
    switch (state) {
    case LinkState::Connecting:
        return "PC 접속 중…";
    case LinkState::LoggedIn:
        return "PC 접속됨";
    case LinkState::Offline:
        break;
    }
    return "PC 미접속";
}

PcLink::PcLink(platform::EventLoop& loop, platform::Ui& ui, settings::PdaSettings& settings, PcLinkView& view,
    SleepFunction sleep)
    : m_loop(loop)
    , m_ui(ui)
    , m_settings(settings)
    , m_view(view)
    , m_treeRequest(loop, *this, kMsgTreeTimeout)
    , m_attachmentRequest(loop, *this, kMsgAttachmentTimeout)
    , m_windowThread(std::this_thread::get_id())
    , m_client(loop, ui, std::move(sleep))
{
    m_handlers[proto::kCodeLogIn] = [this](const proto::PcAnswer& answer) { onLoginAnswer(answer); };
    m_handlers[proto::kCodeLinkFeatures] = [this](const proto::PcAnswer& answer) {
        m_uploadWindow = m_private && m_loggedIn && answer.text == proto::kFeatureUploadWindow;
    };
    m_handlers[proto::kCodeKeepAlive] = [this](const proto::PcAnswer&) {
        // The user did not ask for this reply. If it cannot go out, the PC has
        // closed: its stop notice, or the end of the connection the reader
        // reports next, tells the user why, and answers already received
        // stay in order instead of being dropped by a reset here.
        (void)m_client.sendBytes(proto::formatPcRequest({ 0, proto::kCodeKeepAlive, "" }));
    };
}

PcLink::~PcLink()
{
    ++m_generation;
    m_client.close();
}

void PcLink::prepare()
{
    m_client.setTitleForKind(kLinkKindPc);
    m_client.setKind(kLinkKindPc);
    m_client.setHost(m_settings.serverIp);
    m_client.setPort(m_settings.pcPort);
    m_client.setHostIsAddress(true);
    m_client.setReceiveMode(ReceiveMode::Record);
    m_client.setWindow(this);
    m_loggedIn = false;
    m_view.showLinkState(LinkState::Offline);
}

bool PcLink::connect()
{
    std::uint64_t generation = ++m_generation;
    m_answers.clear();
    m_client.setHost(m_settings.serverIp);
    m_client.setPort(m_settings.pcPort);
    m_client.setRecordSink({ [this, generation](const proto::AnswerRecord& record) { onRecord(record, generation); },
        [this, generation] { m_loop.post(this, kMsgConnectionLost, generation); } });
    m_private = m_pairing && m_pairing->isOn();
    m_uploadWindow = false;
    if (m_private) {
        m_client.setSecureSocket([this](int fd) {
            auto secured = secureSocket(platform::SocketFd(fd));
            return secured ? secured->release() : -1;
        });
    } else {
        m_client.setSecureSocket({});
    }
    m_view.showLinkState(LinkState::Connecting);
    const bool opened = m_client.open();
    if (!opened)
        m_view.showLinkState(LinkState::Offline);
    return opened;
}

std::string PcLink::lastAttemptText() const
{
    return m_client.lastAttemptText();
}

std::string PcLink::webPin(const std::string& host, long port) const
{
    if (!m_pairing || !m_pairing->isOn() || host != m_settings.serverIp || port != m_settings.pcWebPort)
        return {};
    auto pinned = m_pairing->pinnedFingerprint(host);
    return pinned ? platform::curlPinOfFingerprint(*pinned) : std::string();
}

std::optional<platform::SocketFd> PcLink::secureSocket(platform::SocketFd socket)
{
    if (!m_pairing || !m_pairing->isOn())
        return socket;
    return m_pairing->secure(std::move(socket), m_settings.serverIp);
}

void PcLink::onRecord(const proto::AnswerRecord& record, std::uint64_t generation)
{
    // Reader thread: queue the answer and tell the window thread its slot.
    if (generation != m_generation)
        return;
    auto answer = proto::decodePcAnswer({ record.data(), record.size() });
    if (!answer)
        return;
    answer->text = platform::toUtf8(answer->text, m_codePage);
    answer->detail = platform::toUtf8(answer->detail, m_codePage);
    auto slot = m_answers.store(std::move(answer).value());
    if (slot)
        m_loop.post(this, kMsgPcAnswerQueued, *slot, static_cast<platform::LParam>(generation));
}

bool PcLink::sendRequest(int first, int code, std::string_view text)
{
    return sendAnsiRequest(first, code, platform::fromUtf8(text, m_codePage));
}

bool PcLink::sendAnsiRequest(int first, int code, std::string_view ansiText)
{
    std::string wire = proto::formatPcRequest({ first, code, std::string(ansiText) });
    if (!m_client.isOpen()) {
        failSend(kNotConnectedText);
        return false;
    }
    if (!m_client.sendBytes(wire)) {
        failSend(kSendFailedText);
        return false;
    }
    return true;
}

void PcLink::failSend(const char* text)
{
    if (!onWindowThread()) {
        m_loop.post(this, kMsgSendFailed, text == kNotConnectedText ? NoConnection : SendBroke);
        return;
    }
    m_ui.messageBox(kTitle, text, platform::Icon::Warning);
    resetConnection(false);
}

bool PcLink::sendLogin(std::string_view id, std::string_view password)
{
    std::string text = std::string(platform::cutCodePoints(id, kMaxIdChars)) + "\n" + std::string(platform::cutCodePoints(password, kMaxIdChars));
    return sendRequest(0, proto::kCodeLogIn, text);
}

void PcLink::logout()
{
    if (m_ui.question(kTitle, kLogoutQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    (void)sendRequest(0, proto::kCodeLogOut, m_settings.serverIp);
}

void PcLink::setHandler(int code, AnswerHandler handler)
{
    m_handlers[code] = std::move(handler);
}

void PcLink::addResetListener(std::function<void()> listener)
{
    m_resetListeners.push_back(std::move(listener));
}

void PcLink::setAttachmentWaiting(std::function<void()> continuation)
{
    m_attachmentWaiting = std::move(continuation);
}

void PcLink::resetConnection(bool showMessage)
{
    if (showMessage)
        m_ui.messageBox(kTitle, kConnectionEndedText, platform::Icon::Information);
    // Answers and the end notice of the old connection are stale from here.
    ++m_generation;
    m_view.resetPcTree();
    m_view.setConnectedMenu(false);
    m_view.showLinkState(LinkState::Offline);
    m_client.close();
    for (auto& listener : m_resetListeners)
        listener();
    m_drives.clear();
    m_answers.clear();
    m_treeRequest.cancel();
    m_attachmentRequest.cancel();
    m_attachmentWaiting = nullptr;
    m_loggedIn = false;
    m_uploadWindow = false;
}

platform::LResult PcLink::onMessage(int msg, platform::WParam wParam, platform::LParam lParam)
{
    switch (msg) {
    case kMsgPcAnswerQueued:
        if (static_cast<std::uint64_t>(lParam) != m_generation)
            break;
        if (auto answer = m_answers.take(wParam))
            dispatch(*answer);
        break;
    case kMsgConnectionLost:
        if (wParam == m_generation)
            resetConnection(true);
        break;
    case kMsgSendFailed:
        failSend(wParam == NoConnection ? kNotConnectedText : kSendFailedText);
        break;
    case kMsgTreeTimeout:
        if (m_treeRequest.onTimeout(wParam) && m_treeTimeout)
            m_treeTimeout();
        break;
    case kMsgAttachmentTimeout:
        if (m_attachmentRequest.onTimeout(wParam) && m_attachmentTimeout)
            m_attachmentTimeout();
        break;
    default:
        break;
    }
    return 0;
}

void PcLink::dispatch(const proto::PcAnswer& answer)
{
    auto handler = m_handlers.find(answer.code);
    if (handler != m_handlers.end() && handler->second)
        handler->second(answer);
}

void PcLink::onLoginAnswer(const proto::PcAnswer& answer)
{
    const auto refuse = [this](const char* text) {
        m_loggedIn = false;
        m_view.showLinkState(LinkState::Offline);
        m_ui.messageBox(kTitle, text, platform::Icon::Information);
        if (m_loginListener)
            m_loginListener(false);
    };
    if (answer.text == "NO") {
        refuse(kLoginMismatchText);
        return;
    }
    if (answer.text.find('\\') == std::string::npos) {
        refuse(kLoginMalformedText);
        return;
    }
    m_drives = parseDriveList(answer.text);
    m_mailClientKind = answer.first;
    m_view.addDriveItems(m_drives);
    m_loggedIn = true;
    m_view.showLinkState(LinkState::LoggedIn);
    // Inside the private link the two programs agree on faster uploads; a
    // PC that cannot answers nothing and uploads stay in lock-step.
    m_uploadWindow = false;
    if (m_private)
        (void)sendRequest(1, proto::kCodeLinkFeatures, proto::kFeatureUploadWindow);
    if (m_loginListener)
        m_loginListener(true);
    if (m_attachmentWaiting) {
        auto continuation = std::move(m_attachmentWaiting);
        m_attachmentWaiting = nullptr;
        continuation();
    } else {
        m_ui.messageBox(kTitle, kLoggedInText, platform::Icon::Information);
    }
    m_view.setConnectedMenu(true);
}

} // namespace pocket::link
