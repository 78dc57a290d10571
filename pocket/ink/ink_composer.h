#pragma once

// File: pocket/ink/ink_composer.h
// The pen-message window's logic: checking that the peer can take pen
// messages, drawing, "New", "Send", "Quit", the status line and the
// progress bar. Toolkit-free: the window implements InkComposerView and
// passes pen events and button presses in. It keeps the window's two timers:
// the check timer (kCheckTimer, every 2 s until the peer answers) and the
// answer timer (kAnswerTimer, 20 s, restarted by the carriage with every
// message it sends). Lives on the window thread; the view, Ui, carriage and
// event loop must outlive it.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/ink/ink_canvas.h"
#include "pocket/ink/ink_paths.h"
#include "pocket/ink/ink_recorder.h"
#include "pocket/ink/pen_carriage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::ink {

namespace composer_text {
constexpr std::string_view kChecking = "펜 메세지 수신 여부 체크 중..";
constexpr std::string_view kCheckBlink = "펜 메세지 수신 가능 체크중..";
constexpr std::string_view kCannotSend = "펜 메세지를 보낼 수 없습니다.";
constexpr std::string_view kWrite = "펜 메세지를 작성해주세요.";
constexpr std::string_view kWaitingForPeer = "상대방의 응답을 기다리는중..";
constexpr std::string_view kNoAnswer = "응답이 없습니다. 다시시도해주세요.";
constexpr std::string_view kFileDamaged = "잉크 메시지 파일 손상!";
constexpr std::string_view kReopenDamaged = "잉크 메세지 파일 손상!";
constexpr std::string_view kResend = "재전송 하시겠습니까?";
constexpr std::string_view kSendFailedTitle = "전송 실패!!";
} // namespace composer_text

class InkComposerView {
public:
    virtual ~InkComposerView() = default;

    virtual InkCanvas& canvas() = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setSendEnabled(bool enabled) = 0;
    virtual void setNewEnabled(bool enabled) = 0;
    // The progress bar (0-100) shares the status line's place.
    virtual void setProgressVisible(bool visible) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void showPalette(Palette palette, bool shown) = 0;
    virtual void showToolbar(const ToolbarLook& look) = 0;
    virtual void close() = 0;
};

struct ComposerSetup {
    Network network = Network::Msn;
    std::string peerId;
    std::string ownId; // The user's id on that network, for sent file names.
    std::filesystem::path deviceRoot;
};

class InkComposer final : public platform::MessageTarget {
public:
    // Check ticks that blink before giving up, and the tick that closes.
    static constexpr int kGiveUpTick = 5;
    static constexpr int kCloseTick = 6;

    // Timer ids of the pen-message window, as the messengers know them.
    static constexpr int kAnswerTimer = 1;
    static constexpr int kCheckTimer = 2;
    static constexpr unsigned kAnswerTimeoutMs = 20000;
    static constexpr unsigned kCheckIntervalMs = 2000;

    InkComposer(ComposerSetup setup, InkComposerView& view, platform::Ui& ui, PenCarriage& carriage,
        platform::EventLoop& loop);
    ~InkComposer() override;

    // Shows the window in its checking state and asks the peer.
    void open();

    // User actions.
    void onPen(const PenEvent& event);
    void chooseColour(InkToken colour);
    void chooseThickness(InkToken thickness);
    void closePalette(Palette palette);
    void onNew();
    // A message read from a file replaces the drawing (the console sends
    // an ink file so); only while the window takes drawing.
    void loadMessage(InkMessage message);
    void onSend(const LocalTime& now);
    void onQuit();
    void repaint();

    // From the carriage. onCheckTick() and onAnswerTimeout() also come from
    // the composer's own timers.
    void onCheckTick();
    void onPeerReady(std::string_view status = composer_text::kWrite);
    void restartAnswerTimer();
    // The peer took the transfer's start: stop waiting and show kWrite.
    void onTransferAccepted();
    void onAnswerTimeout();
    void onProgress(std::uint64_t bytesSent, std::uint64_t fileSize);
    void onSent();

    // File trouble while sending. The first two re-enable "Send";
    // askResend() returns whether the user wants to start again (OK).
    void onFileUnopenable(std::string_view title = composer_text::kSendFailedTitle);
    bool askResend(std::string_view title = composer_text::kSendFailedTitle);
    void onReopenFailed(std::string_view title = composer_text::kSendFailedTitle);

    void onTimer(int id) override;

    bool isClosed() const { return m_state == State::Closed; }
    // The peer answered and the window takes drawing and "Send".
    bool isReady() const { return m_state == State::Ready; }
    const InkMessage& message() const { return m_recorder.message(); }
    // The file of the last send, kept for the carriage.
    const std::optional<StoredInk>& storedInk() const { return m_stored; }

private:
    enum class State { Idle, Checking, Ready, Sending, Closed };

    void setEditable(bool enabled);
    void reportFileTrouble(std::string_view title, std::string_view text);
    void close();

    ComposerSetup m_setup;
    InkComposerView& m_view;
    platform::Ui& m_ui;
    PenCarriage& m_carriage;
    platform::EventLoop& m_loop;
    InkRecorder m_recorder;
    State m_state = State::Idle;
    int m_ticks = 0;
    std::optional<StoredInk> m_stored;
};

} // namespace pocket::ink
