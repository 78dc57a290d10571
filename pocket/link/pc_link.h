#pragma once

// File: pocket/link/pc_link.h
// The handheld's connection to the PC program: a SocketClient of kind 100 in
// record mode to the PC's command port. PcLink sends the text commands
// (PcRequest), receives the 1032-byte answers into the 51-slot AnswerQueue
// on the reader thread and dispatches them by code on the window thread:
// 310 (log-in) and 328 (keep-alive) here, the rest to the handlers that
// later parts register. It also keeps the link state (logged in, the PC's
// drives and mail-client kind) and runs the connection-lost reset.
//
// PcLink lives on the window thread. sendRequest() may also be called from
// transfer workers; its failure path then runs on the window thread.

#include "pocket/link/answer_queue.h"
#include "pocket/link/pc_pairing.h"
#include "pocket/link/link_messages.h"
#include "pocket/link/request_number.h"
#include "pocket/link/socket_client.h"
#include "proto/pc_answer.h"

#include "platform/event_loop.h"

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace pocket::link {

// The state of the link as the screen shows it.
enum class LinkState { Offline, Connecting, LoggedIn };
// "PC 미접속", "PC 접속 중…", "PC 접속됨".
std::string linkStateText(LinkState state);

// What the PC link changes on screen: the My PC tree, the menu bar and the
// link's state.
class PcLinkView {
public:
    virtual ~PcLinkView() = default;
    // The menu bar in its connected form ("접속끊기") or not ("접속하기").
    virtual void setConnectedMenu(bool connected) = 0;
    // Deletes every item of the My PC tree and adds back its root "PDA".
    virtual void resetPcTree() = 0;
    // One root item per PC drive, in the order given.
    virtual void addDriveItems(const std::vector<std::string>& drives) = 0;
    virtual void showLinkState(LinkState) { }
};

// A handler of one answer code (303, 304, 306 ...), on the window thread.
using AnswerHandler = std::function<void(const proto::PcAnswer&)>;

constexpr std::size_t kMaxDrives = 10;
constexpr std::size_t kMaxIdChars = 49;

// The PC's drive names from the text of a successful log-in answer.
std::vector<std::string> parseDriveList(std::string_view answerText);

class PcLink final : public platform::MessageTarget {
public:
    // Private messages of the link (the numbers are this program's own).
    static constexpr int kMsgConnectionLost = 1531; // wParam: connection generation.
    static constexpr int kMsgSendFailed = 1532;     // From a worker's failed send.
    static constexpr int kMsgTreeTimeout = 1533;    // wParam: request number.
    static constexpr int kMsgAttachmentTimeout = 1534;

    PcLink(platform::EventLoop& loop, platform::Ui& ui, settings::PdaSettings& settings, PcLinkView& view,
        SleepFunction sleep = {});
    ~PcLink() override;

    // Prepare PC client: host "SEVER_IP" as an address, the PC port, record
    // mode; logged out.
    void prepare();

    // Opens the command connection to the PC address (at most 5 attempts).
    bool connect();
    bool isConnected() const { return m_client.isOpen(); }
    // What the last connect() tried ("192.168.0.5:4000") and why it failed.
    std::string lastAttemptText() const;
    // The private link (outlives the link); null keeps the clear protocol.
    void setPairing(PcPairing* pairing) { m_pairing = pairing; }
    PcPairing* pairing() const { return m_pairing; }
    // A connected socket to the PC made private when SecureLink is on;
    // nullopt when the PC was refused (the user has been told).
    std::optional<platform::SocketFd> secureSocket(platform::SocketFd socket);
    // For the web fetches (HttpFetch::PinLookup): the pin of the PC's key
    // for the PC's web port while SecureLink is on and the PC is paired.
    // Safe from the fetching workers.
    std::string webPin(const std::string& host, long port) const;
    bool isLoggedIn() const { return m_loggedIn; }
    // The PC agreed at log-in, inside the private link, to windowed uploads.
    bool offersUploadWindow() const { return m_uploadWindow; }
    int mailClientKind() const { return m_mailClientKind; }
    const std::vector<std::string>& drives() const { return m_drives; }

    // Formats and sends one request in the ANSI code page. Without a
    // connection, or when the send fails, shows why, resets the link and
    // returns false.
    bool sendRequest(int first, int code, std::string_view text);
    // The same for a text already in the link's code page (mail pieces cut
    // on character boundaries of that code page).
    bool sendAnsiRequest(int first, int code, std::string_view ansiText);

    // The log-in request (first 0, code 310, "id\npassword").
    bool sendLogin(std::string_view id, std::string_view password);
    // The "접속끊기" menu item: asks, then sends 311 with the PC address.
    void logout();

    // Handlers of later parts, by answer code.
    void setHandler(int code, AnswerHandler handler);
    // Called by the connection-lost reset, for state other parts keep (an
    // open upload file, the mail being sent, a pending download).
    void addResetListener(std::function<void()> listener);
    // The mail attachment waiting for the log-in: run instead of the
    // "로그인되었습니다." message once the log-in succeeds.
    void setAttachmentWaiting(std::function<void()> continuation);
    void clearAttachmentWaiting() { m_attachmentWaiting = nullptr; }
    // Told of every answer to the log-in request: accepted or not (refused
    // or malformed), before the message about it.
    void setLoginListener(std::function<void(bool accepted)> listener) { m_loginListener = std::move(listener); }
    bool isAttachmentWaiting() const { return static_cast<bool>(m_attachmentWaiting); }

    // Request numbers of the My PC tree and of the attachment tree; their
    // time-outs go to the handlers registered here.
    RequestNumber& treeRequest() { return m_treeRequest; }
    RequestNumber& attachmentRequest() { return m_attachmentRequest; }
    void setTreeTimeoutHandler(std::function<void()> handler) { m_treeTimeout = std::move(handler); }
    void setAttachmentTimeoutHandler(std::function<void()> handler) { m_attachmentTimeout = std::move(handler); }

    // The ANSI code page of the PC link (UTF-8 unless set).
    void setCodePage(std::string codePage) { m_codePage = std::move(codePage); }
    const std::string& codePage() const { return m_codePage; }

    // The connection-lost reset; `showMessage` when the connection ended
    // under us rather than after a failed send.
    void resetConnection(bool showMessage);

    std::size_t queuedAnswers() const { return m_answers.size(); }
    bool isReaderRunning() const { return m_client.isReaderRunning(); }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void onRecord(const proto::AnswerRecord& record, std::uint64_t generation);
    void dispatch(const proto::PcAnswer& answer);
    void onLoginAnswer(const proto::PcAnswer& answer);
    void failSend(const char* text);
    bool onWindowThread() const { return std::this_thread::get_id() == m_windowThread; }

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    settings::PdaSettings& m_settings;
    PcLinkView& m_view;
    AnswerQueue m_answers;
    RequestNumber m_treeRequest;
    RequestNumber m_attachmentRequest;
    std::thread::id m_windowThread;
    std::atomic<std::uint64_t> m_generation { 0 };
    std::string m_codePage = "UTF-8";

    bool m_loggedIn = false;
    bool m_private = false; // The command connection is a TLS one.
    bool m_uploadWindow = false;
    int m_mailClientKind = 0;
    std::vector<std::string> m_drives;
    std::function<void()> m_attachmentWaiting;
    std::function<void(bool)> m_loginListener;
    std::map<int, AnswerHandler> m_handlers;
    std::vector<std::function<void()>> m_resetListeners;
    std::function<void()> m_treeTimeout;
    std::function<void()> m_attachmentTimeout;
    PcPairing* m_pairing = nullptr;
    // Last, so that it goes first: its reader ends while everything it
    // reaches is still there.
    SocketClient m_client;
};

} // namespace pocket::link
