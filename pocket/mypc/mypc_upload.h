#pragma once

// File: pocket/mypc/mypc_upload.h
// "PC로 보내기" on a handheld file: a second TCP connection to the PC's
// upload port, the 309 announcement "size\nname\nid" on the command
// connection, and after the PC's answer 0 the file in 1024-byte blocks, each
// sent once the PC has acknowledged the one before, ended by
// "FILE_SEND_COMPLETE". The PC reports the end with answer {1, 309}.
//
// Lives on the window thread. A receive thread reads the upload connection
// and posts what arrived; the blocks are sent from the window thread.
// States: idle → connected → requested (309 sent) → sending (after answer
// 0) → finishing (marker sent) → idle. A PC that leaves any of its answers
// (the announcement's, an acknowledgement, the end answer) out for
// kAnswerTimeoutMs ends the upload with a message, so that nothing stays
// busy.
//
// Inside the private link, when the PC agreed at log-in, the announcement
// asks for a windowed upload: the PC answers what it already holds of the
// file, and the file goes from there (or from zero when that is not this
// file's beginning) in 64 KiB frames with up to 1 MiB unacknowledged
// (window_sender.h); a cut upload continues when it is sent again.

#include "platform/event_loop.h"
#include "platform/net_address.h"
#include "platform/tls/prefix_digest.h"
#include "pocket/mypc/mypc_upload_sender.h"
#include "pocket/mypc/transfer_progress_text.h"
#include "pocket/mypc/window_sender.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {
class Ui;
}

namespace proto {
struct PcAnswer;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::mypc {

class MyPcBusy;
class ProgressView;

// The announcement's first number.
constexpr int kUploadPlainFile = 0;
constexpr int kUploadMailAttachment = 1;

class MyPcUpload final : public platform::MessageTarget {
public:
    static constexpr int kMsgReceived = 1545; // wParam: connection serial.
    static constexpr int kMsgClosed = 1546;   // wParam: connection serial.
    static constexpr int kMsgNoAnswer = 1547; // wParam: wait generation.
    // How long the handheld waits for the PC's answer to the announcement,
    // for each acknowledgement and for the end answer: as long as for any
    // request's answer.
    static constexpr unsigned kAnswerTimeoutMs = 60000;

    // Checking: the PC holds part of a windowed upload, and whether it is
    // this file's beginning is being hashed off the window thread.
    enum class State { Idle, Connected, Requested, Checking, Sending, Finishing };

    MyPcUpload(platform::EventLoop& loop, platform::Ui& ui, link::PcLink& link, const settings::PdaSettings& settings,
        const device::DeviceRoot& device, MyPcBusy& busy, ProgressView& view);
    ~MyPcUpload() override;

    // "PC로 보내기" on the tree item at `selectedPath` ("PDA\My Documents\a.txt").
    // False when no announcement went out.
    bool start(std::string_view selectedPath, int purpose = kUploadPlainFile);

    State state() const { return m_state; }
    bool isRunning() const { return m_state != State::Idle; }
    std::int64_t sent() const { return m_sender.sent(); }

    // Ends the upload: file and connection closed, the progress dialog too.
    void end();

    // Told on the window thread whenever an upload has ended.
    void setEndedHandler(std::function<void()> handler) { m_ended = std::move(handler); }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    bool connect();
    void closeConnection();
    void onAnswer(const proto::PcAnswer& answer);
    void startSending();
    void sendNext();
    void startWindow();
    void beginWindow(std::uint64_t from);
    void sendWindow();
    // `held`: bytes the PC kept from a cut try, which this one continues.
    void openProgress(std::int64_t size, std::int64_t held = 0);
    void onReceived();
    void read(int fd, std::uint64_t serial);
    void awaitPc(); // (Re)starts the wait for the PC's next word.
    void stopWaiting();
    void onNoAnswer();

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    link::PcLink& m_link;
    const settings::PdaSettings& m_settings;
    const device::DeviceRoot& m_device;
    MyPcBusy& m_busy;
    ProgressView& m_view;

    State m_state = State::Idle;
    std::string m_localPath; // The handheld file being sent.
    std::string m_name;
    UploadSender m_sender;
    TransferMeter m_meter;
    bool m_windowed = false; // Announced (and then taken) as a windowed upload.
    std::optional<proto::HeldAnswer> m_held;
    WindowSender m_window;
    platform::PrefixDigest m_heldDigest;
    bool m_progressOpen = false;
    std::function<void()> m_ended;
    platform::OneShotId m_waitTimer = 0;
    platform::WParam m_waitGeneration = 0;

    platform::SocketFd m_socket;
    std::thread m_reader;
    std::uint64_t m_serial = 0;
    std::mutex m_inboxMutex;
    std::string m_inbox; // Received by the reader, not yet handled.
};

} // namespace pocket::mypc
