#pragma once

// File: pocket/icq/icq_session.h
// The ICQ session: sign-on at the login server, the redirect to the session
// (BOS) server with the authorization cookie, the service handshake of
// family 1 up to the client-ready message, and every sign-on failure with its
// message. Frames of the buddy-list, message and extension families are
// handed to the SessionListener (the messenger). One per program; lives on
// the window thread, which delivers the link's 5025 (readable) and 5026
// (ended) to it. The link, Ui, view, listener and loop must outlive it.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/icq/flap.h"
#include "pocket/icq/icq_link.h"
#include "pocket/icq/icq_title.h"
#include "pocket/icq/request_pacer.h"
#include "pocket/icq/sign_on.h"
#include "pocket/link/sign_on_deadline.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pocket::icq {

namespace session_text {
constexpr std::string_view kEnterAccount = "환경설정의 Accounts탭에 ICQ정보를 입력해주십시오.";
constexpr std::string_view kCannotConnect = "서버에 접속할 수 없습니다.";
constexpr std::string_view kDisconnected = "You are disconnected from ICQ server.";
constexpr std::string_view kConnectionEnded = "ICQ 연결이 종료되었습니다.";
constexpr std::string_view kBosFailed = "Connection to ICQ Session server is failed!";
constexpr std::string_view kServerConnecting = "Server Connecting..";
constexpr std::string_view kUserIdentifying = "User identifying..";
constexpr std::string_view kIdentifyCompletion = "User identify Completion..";
constexpr std::string_view kConnectingService = "connecting to service server..";
constexpr std::string_view kRequestBuddyList = "request buddy list info..";
} // namespace session_text

// OSCAR status values this program uses.
constexpr std::uint32_t kStatusOnline = 0;
constexpr std::uint32_t kStatusOffline = 2;
constexpr std::uint32_t kStatusInvisible = 256;

enum class SessionState { Idle = 0, LoginServer = 1, BosServer = 2 };

// The sign-on ran out of time (the program's own number; wParam: the
// deadline's number).
constexpr int kMsgSignOnTimeout = 5050;

// The page's status text control.
class SessionStatusView {
public:
    virtual ~SessionStatusView() = default;
    virtual void setStatusText(std::string_view text) = 0;
};

// What the messenger (contacts, presence, messages) hears from the session.
class SessionListener {
public:
    virtual ~SessionListener() = default;
    // A login starts: forget the message windows and the own names.
    virtual void onLoginStarting() = 0;
    // Signed on: load the local contact list and return its numbers.
    virtual std::vector<std::string> onSignedOn() = 0;
    // A SNAC of family 3, 4 or 0x15 (data after the SNAC header).
    virtual void onSnac(const SnacHeader& header, std::string_view data) = 0;
    // The session was reset: every contact goes offline.
    virtual void onReset() = 0;
};

struct SessionSetup {
    std::string loginHost; // Configuration; the port is 5190.
    std::uint16_t loginPort = kIcqPort;
    std::filesystem::path deviceRoot;
    // A random 16-bit number (sequence starts, direct-connection cookie).
    std::function<std::uint16_t()> random;
};

class IcqSession final : public platform::MessageTarget {
public:
    IcqSession(SessionSetup setup, IcqLink& link, platform::Ui& ui, SessionStatusView& view,
        platform::EventLoop& loop);
    ~IcqSession() override;

    void setListener(SessionListener* listener) { m_listener = listener; }

    // The ICQ menu's connect, with the settings "ICQID" and "ICQPASS".
    void connect(std::string_view icqId, std::string_view password);
    // Reads one frame (5025); -1 when the connection has ended.
    platform::LResult onReadable();
    // The connection ended (5026).
    void onConnectionEnded();
    void reset();

    // Sends a built buffer; a closed link or a failed send shows
    // "You are disconnected from ICQ server." and resets. Safe to call when
    // the link is closed.
    bool sendFrame(std::string_view bytes);

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

    FlapSequence& sequence() { return m_sequence; }
    SessionState state() const { return m_state; }
    std::uint32_t ownUin() const { return m_ownUin; }
    std::uint32_t ownStatus() const { return m_ownStatus; }
    void setOwnStatus(std::uint32_t status) { m_ownStatus = status; }
    bool isBosReady() const { return m_bosReady; }
    // The sign-on is complete: the contact list is loaded and announced.
    bool isSignedOn() const { return m_signedOn; }
    bool isOpen() const { return m_link.isOpen(); }
    // The local contact file "\Program Files\Quillon\icq_<uin>".
    std::filesystem::path contactFile() const;

private:
    void startLogin();
    void handleFrame(const FlapFrame& frame);
    void handleSignOn();
    void handleSnac(std::string_view data);
    void handleSignOff(std::string_view data);
    void handleService(const SnacHeader& header, std::string_view data);
    void completeSignOn();
    void fail(std::string_view text, platform::Icon icon);
    // A connection that could not be opened: the text and the link's cause.
    void failOpen(std::string_view text);
    std::uint16_t random();

    SessionSetup m_setup;
    IcqLink& m_link;
    platform::Ui& m_ui;
    SessionStatusView& m_view;
    platform::EventLoop& m_loop;
    SessionListener* m_listener = nullptr;

    SessionState m_state = SessionState::Idle;
    std::uint32_t m_ownUin = 0;
    std::string m_password;
    std::string m_cookie;
    FlapSequence m_sequence;
    bool m_bosReady = false;
    bool m_signedOn = false;
    std::uint32_t m_ownStatus = kStatusOffline;
    RequestPacer m_buddyPacer;
    RequestPacer m_visiblePacer;
    link::SignOnDeadline m_signOnDeadline;
};

// The decimal ICQ number of a settings text; nothing for an empty, non-digit
// or out-of-range text.
std::optional<std::uint32_t> parseUin(std::string_view text);

} // namespace pocket::icq
