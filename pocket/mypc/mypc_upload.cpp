#include "pocket/mypc/mypc_upload.h"

#include "platform/tls/file_digest.h"
#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_paths.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/transfer_progress_text.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"
#include "proto/pc_answer.h"
#include "proto/upload_block.h"
#include "proto/upload_frames.h"

#include <sys/socket.h>

#include <system_error>

namespace pocket::mypc {

namespace {

constexpr const char* kNotPdaText = "PDA 파일을 선택해 주십시오.";
constexpr const char* kConnectFailedText = "Failed to connect";
constexpr const char* kNoConnectionText = "파일 전송을 할수가 없습니다. 인터넷이 가능한지 확인해 주십시오.";
constexpr const char* kNoFileText = "파일없음";
constexpr const char* kFileNotFoundText = "해당 파일을 찾지 못하였습니다.";
constexpr const char* kCannotOpenText = "파일을 찾지 못하였습니다.";
constexpr const char* kDoneText = "pc에 파일 upload를 완료하였습니다!";
constexpr const char* kBusySendingText = "현재 파일 전송중이므로\n첨부파일은 전송하실 수 없습니다. 나중에 다시 시도해주세요.";
constexpr const char* kNameInUseText = "pc에 같은 이름의 파일이 사용중이므로 파일생성에 실패 하였습니다.";
constexpr const char* kNoAnswerText = "[MYPC]파일 전송 - TIME OUT(timeout val: 60초) \n다시 시도해주십시오.";

// The first numbers of a 309 answer.
constexpr int kAnswerStartSending = 0;
constexpr int kAnswerDone = 1;
constexpr int kAnswerPcBusy = 4;
constexpr int kAnswerNotCreated = 7;

// The PC names where it put the file in the answer's detail; a PC that
// does not leaves the message as it was.
std::string doneText(const std::string& pcPath)
{
    std::string text = kDoneText;
    if (!pcPath.empty())
        text += "\n\nPC 저장 위치 : " + pcPath;
    return text;
}

} // namespace

MyPcUpload::MyPcUpload(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link, const settings::PdaSettings& settings,
    const device::DeviceRoot& device, MyPcBusy& busy, ProgressView& view)
    : m_loop(loop)
    , m_ui(ui)
    , m_link(link)
    , m_settings(settings)
    , m_device(device)
    , m_busy(busy)
    , m_view(view)
    , m_heldDigest(loop)
{
    m_link.setHandler(proto::kCodeUpload, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
    // The connection-lost reset closes an upload that is still open.
    m_link.addResetListener([this] {
        if (isRunning())
            end();
    });
}

MyPcUpload::~MyPcUpload()
{
    closeConnection();
}

bool MyPcUpload::start(std::string_view selectedPath, int purpose)
{
    auto handheldPath = handheldPathOf(selectedPath);
    if (!handheldPath) {
        m_ui.messageBox(kMyPcTitle, kNotPdaText, platform::Icon::Warning);
        return false;
    }
    if (m_busy.refuse())
        return false;
    // One upload at a time: the PC would end the running one on a second
    // announcement.
    if (m_state == State::Sending || m_state == State::Finishing) {
        m_ui.messageBox(kMyPcTitle, kMyPcBusyText, platform::Icon::Warning);
        return false;
    }
    m_name = std::string(lastComponent(*handheldPath));

    if (!m_socket.isOpen() && !connect())
        m_ui.messageBox(kMyPcTitle, kConnectFailedText, platform::Icon::Warning);
    if (!m_socket.isOpen()) {
        m_ui.messageBox(kMyPcTitle, kNoConnectionText, platform::Icon::Warning);
        return false;
    }
    if (m_state == State::Idle)
        m_state = State::Connected;

    if (handheldPath->empty()) {
        m_ui.messageBox(kMyPcTitle, kNoFileText, platform::Icon::Warning);
        end();
        return false;
    }
    m_localPath = *handheldPath;
    UploadSender probe;
    if (!probe.open(m_device.toLocal(m_localPath))) {
        m_ui.messageBox(kMyPcTitle, kFileNotFoundText, platform::Icon::Warning);
        end();
        return false;
    }
    std::string text = std::to_string(probe.size()) + "\n" + m_name + "\n" + m_settings.myId;
    // Inside the private link, a PC that agreed takes the file in a window
    // of large frames and keeps what a cut left.
    m_windowed = m_link.offersUploadWindow();
    if (m_windowed)
        text += "\n" + std::string(proto::kAnnounceWindowLine);
    if (!m_link.sendRequest(purpose == kUploadMailAttachment ? 1 : 0, proto::kCodeUpload, text)) {
        end();
        return false;
    }
    m_state = State::Requested;
    m_busy.set();
    awaitPc();
    return true;
}

void MyPcUpload::awaitPc()
{
    stopWaiting();
    m_waitTimer = m_loop.setOneShot(this, kAnswerTimeoutMs, kMsgNoAnswer, ++m_waitGeneration);
}

void MyPcUpload::stopWaiting()
{
    if (m_waitTimer != 0)
        m_loop.cancelOneShot(m_waitTimer);
    m_waitTimer = 0;
    ++m_waitGeneration; // An expiry already on its way is stale.
}

void MyPcUpload::onNoAnswer()
{
    m_waitTimer = 0;
    if (!isRunning())
        return;
    end();
    m_ui.messageBox(kMyPcTitle, kNoAnswerText, platform::Icon::Warning);
}

bool MyPcUpload::connect()
{
    // One attempt: the PC either listens on its upload port or not.
    auto socket = platform::connectTcp(m_settings.serverIp, m_settings.pcUploadPort);
    if (!socket)
        return false;
    auto secured = m_link.secureSocket(std::move(*socket));
    if (!secured)
        return false;
    m_socket = std::move(*secured);
    std::uint64_t serial = ++m_serial;
    int fd = m_socket.fd();
    {
        std::lock_guard lock(m_inboxMutex);
        m_inbox.clear();
    }
    try {
        m_reader = std::thread([this, fd, serial] { read(fd, serial); });
    } catch (const std::system_error&) {
        m_socket.reset();
        return false;
    }
    return true;
}

void MyPcUpload::read(int fd, std::uint64_t serial)
{
    // Receive thread: hands every receipt to the window thread.
    char buffer[proto::kUploadBlockBytes];
    for (;;) {
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        {
            std::lock_guard lock(m_inboxMutex);
            m_inbox.append(buffer, static_cast<std::size_t>(got));
        }
        m_loop.post(this, kMsgReceived, serial);
    }
    m_loop.post(this, kMsgClosed, serial);
}

void MyPcUpload::closeConnection()
{
    if (m_socket.isOpen())
        ::shutdown(m_socket.fd(), SHUT_RDWR);
    if (m_reader.joinable())
        m_reader.join();
    m_socket.reset();
    ++m_serial; // News from the old reader is stale now.
}

void MyPcUpload::end()
{
    bool wasRunning = isRunning();
    stopWaiting();
    m_heldDigest.cancel();
    m_sender.close();
    m_window.close();
    closeConnection();
    if (m_progressOpen) {
        m_view.setBar(100);
        m_view.closeProgress();
        m_progressOpen = false;
    }
    m_busy.clear();
    m_state = State::Idle;
    if (wasRunning && m_ended)
        m_ended();
}

void MyPcUpload::onAnswer(const proto::PcAnswer& answer)
{
    if (m_state == State::Idle || m_state == State::Connected)
        return; // No announcement of ours is waiting.
    switch (answer.first) {
    case kAnswerStartSending:
        if (m_state == State::Requested) {
            m_busy.clear();
            // The PC tells what it holds of a windowed upload; without that,
            // it took the announcement as a lock-step one.
            m_held = m_windowed ? proto::parseHeldAnswer(answer.text) : std::nullopt;
            m_windowed = m_held.has_value();
            startSending();
        }
        break;
    case kAnswerDone:
        end();
        m_ui.messageBox(kMyPcTitle, doneText(answer.detail), platform::Icon::Information);
        break;
    case kAnswerPcBusy:
        end();
        m_ui.messageBox(kMyPcTitle, kBusySendingText, platform::Icon::Warning);
        break;
    case kAnswerNotCreated:
        end();
        m_ui.messageBox(kMyPcTitle, kNameInUseText, platform::Icon::Information);
        break;
    default:
        break; // 2, 3, 6 and -1 carry nothing for the handheld.
    }
}

void MyPcUpload::startSending()
{
    if (m_windowed) {
        startWindow();
        return;
    }
    if (!m_sender.open(m_device.toLocal(m_localPath))) {
        m_ui.messageBox(kMyPcTitle, kCannotOpenText, platform::Icon::Warning);
        end();
        return;
    }
    m_state = State::Sending;
    openProgress(m_sender.size());
    sendNext();
}

void MyPcUpload::sendNext()
{
    auto block = m_sender.nextBlock();
    if (!block || !platform::sendAll(m_socket.fd(), *block)) {
        end();
        return;
    }
    // The PC acknowledges the block, or answers {1, 309} once it has the
    // whole file; either must come in time.
    awaitPc();
    if (m_sender.isComplete()) {
        m_state = State::Finishing;
        return;
    }
    m_meter.update(m_sender.sent(), m_loop.clock().ticks());
    m_view.setBar(m_sender.percent());
    m_view.setDoneLine(doneLine(TransferDirection::Sent, m_sender.sent()));
    m_view.setRateLine(m_meter.rateLine());
}

void MyPcUpload::startWindow()
{
    if (!m_window.open(m_device.toLocal(m_localPath))) {
        m_ui.messageBox(kMyPcTitle, kCannotOpenText, platform::Icon::Warning);
        end();
        return;
    }
    if (!m_window.mayContinue(*m_held)) {
        beginWindow(0);
        return;
    }
    // Whether the PC's part is this file's beginning: a part of gigabytes
    // is hashed on a thread of its own while the window stays responsive.
    // Meanwhile the PC waits for the start frame, so no answer is due.
    stopWaiting();
    m_state = State::Checking;
    auto decide = [this](std::optional<std::string> sha256Hex) {
        beginWindow(sha256Hex && m_held && *sha256Hex == m_held->sha256Hex ? m_held->held : 0);
    };
    if (!m_heldDigest.start(m_window.fd(), m_held->held, decide))
        decide(platform::sha256OfPrefix(m_window.fd(), m_held->held));
}

void MyPcUpload::beginWindow(std::uint64_t from)
{
    auto start = m_window.startAt(from);
    if (!start) {
        m_ui.messageBox(kMyPcTitle, kCannotOpenText, platform::Icon::Warning);
        end();
        return;
    }
    m_state = State::Sending;
    openProgress(static_cast<std::int64_t>(m_window.size()), static_cast<std::int64_t>(m_window.sent()));
    if (!platform::sendAll(m_socket.fd(), *start)) {
        end();
        return;
    }
    sendWindow();
}

void MyPcUpload::sendWindow()
{
    auto frames = m_window.nextFrames();
    if (!frames || (!frames->empty() && !platform::sendAll(m_socket.fd(), *frames))) {
        end();
        return;
    }
    // An acknowledgement, or the end answer, must come in time.
    awaitPc();
    if (m_window.endSent())
        m_state = State::Finishing;
    auto sent = static_cast<std::int64_t>(m_window.sent());
    m_meter.update(sent, m_loop.clock().ticks());
    m_view.setBar(m_window.percent());
    m_view.setDoneLine(doneLine(TransferDirection::Sent, sent));
    m_view.setRateLine(m_meter.rateLine());
}

void MyPcUpload::openProgress(std::int64_t size, std::int64_t held)
{
    m_view.openProgress(m_name);
    m_progressOpen = true;
    m_view.setTotalLine(totalLine(size));
    if (held > 0)
        m_view.setResumedLine(resumedLine(TransferDirection::Sent, held));
    m_view.setDoneLine(doneLine(TransferDirection::Sent, held));
    m_view.setRateLine({});
    m_view.setBar(0);
    m_meter.start(m_loop.clock().ticks(), size, held);
}

void MyPcUpload::onReceived()
{
    std::string received;
    {
        std::lock_guard lock(m_inboxMutex);
        received.swap(m_inbox);
    }
    if (m_windowed && m_state == State::Sending) {
        // Anything but acknowledgements of what was sent ends the upload.
        if (!m_window.onReceived(received))
            end();
        else
            sendWindow();
    } else if (!m_windowed && m_state == State::Sending && m_sender.onReceived(received)) {
        sendNext();
    }
}

platform::LResult MyPcUpload::onMessage(int msg, platform::WParam wParam, platform::LParam)
{
    if (msg == kMsgNoAnswer) {
        if (wParam == m_waitGeneration)
            onNoAnswer();
        return 0;
    }
    if (wParam != m_serial)
        return 0;
    if (msg == kMsgReceived)
        onReceived();
    else if (msg == kMsgClosed)
        end();
    return 0;
}

} // namespace pocket::mypc
