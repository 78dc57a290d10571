#pragma once

// File: pocket/msn/msn_session.h
// The MSN notification-server session (MSNP5): connecting to the dispatch
// server, following its redirect, the MD5 challenge log-in, the own
// presence, the forward contact list and the contacts' presence, adding,
// removing and renaming, and logging out. Switchboard grants and chat
// invitations go to the SwitchboardHandler (the chats). The page that shows
// the contacts is told what changed through the fixed window messages 4027,
// 4030 and 4031, sent to the page target. Window thread only.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/msn/msn_contact_table.h"
#include "pocket/link/sign_on_deadline.h"
#include "pocket/msn/msn_link.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn {

namespace msg {
    constexpr int kRedraw = 4027; // wParam contact index or kRedrawStatusLine; lParam 1 (or -3 reset).
    constexpr int kRenameCommand = 4028; // wParam: new std::string* command text.
    constexpr int kAddCommand = 4029; // wParam: new std::string* command text.
    constexpr int kDeleteContact = 4030; // wParam: contact index.
    constexpr int kCopyToContacts = 4031; // lParam: contact index.
    // The sign-on ran out of time (the program's own number; wParam: the
    // deadline's number).
    constexpr int kSignOnTimeout = 4040;
    constexpr platform::WParam kRedrawStatusLine = 10000;
    constexpr platform::LParam kRedrawItem = 1;
    constexpr platform::LParam kReset = -3;
} // namespace msg

namespace session_text {
    constexpr std::string_view kTitle = "MSN";
    constexpr std::string_view kNoAccount = "환경설정의 Accounts탭에 MSN정보를 입력해주십시오.";
    constexpr std::string_view kConnecting = "Connecting MSN login svr..";
    constexpr std::string_view kConnected = "Connected MSN login svr..";
    constexpr std::string_view kConnected2 = "Connected MSN 2nd login svr..";
    constexpr std::string_view kCannotConnect = "서버에 접속할 수 없습니다.";
    constexpr std::string_view kDownloading = "Downloading friends..";
    constexpr std::string_view kDownloadingList = "Downloading friends";
    constexpr std::string_view kListFull = "리스트 제한 초과!";
    constexpr std::string_view kLoggedOutElsewhere = "다른 컴퓨터에서 접속하여 로그아웃되었습니다.";
    constexpr std::string_view kBadPassword = "아이디와 패스워드가 일치하지 않습니다.";
    constexpr std::string_view kServiceDown = "MSN 메신저 서비스 일시 중지..";
    constexpr std::string_view kLinkGone = "메신저 서버와 연결이 종료되었습니다. 다시 접속해주세요.";
    // After "name (e-mail)": somebody put the user on their list.
    constexpr std::string_view kAddedBy = " 님이 회원님을 대화 상대로 추가하였습니다.";
    constexpr std::string_view kNetworkTrouble
        = "네트웍 문제나 MSN 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.";
} // namespace session_text

// The MSN protocol port, fixed by the service; a redirect's own port is not used.
constexpr std::uint16_t kMsnPort = 1863;

struct MsnAccount {
    std::string loginId; // ANSI code page.
    std::string password; // ANSI code page.
};

struct MsnConfig {
    // A setting; without one, a server on this machine.
    std::string dispatchHost = "localhost";
    std::uint16_t port = kMsnPort;
};

// Where the session hands switchboard work (the chats).
class SwitchboardHandler {
public:
    virtual ~SwitchboardHandler() = default;
    // XFR ... SB host:port CKI cookie: a switchboard the client asked for.
    virtual void onSwitchboardGranted(std::string_view address, std::string_view cookie) = 0;
    // RNG sessionId host:port CKI cookie e-mail name.
    virtual void onInvitation(const std::vector<std::string>& fields) = 0;
    virtual void closeAll() = 0;
};

// The status line of the page.
class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void setStatusLine(std::string_view text) = 0;
};

class MsnSession final : public platform::MessageTarget {
public:
    MsnSession(platform::EventLoop& loop, platform::Ui& ui, MsnLinkFactory& links, MsnConfig config = {});
    ~MsnSession() override;

    // The account is read at every Connect.
    void setAccount(MsnAccount account) { m_account = std::move(account); }
    const MsnAccount& account() const { return m_account; }
    void setPage(platform::MessageTarget* page, StatusLine* statusLine);
    void setSwitchboardHandler(SwitchboardHandler* handler) { m_switchboards = handler; }

    // Returns true when the first command was sent.
    bool connect();
    void logout();
    // Formats nothing: the text already holds the transaction id.
    bool sendCommand(std::string_view text);
    // The transaction id the next command gets.
    int transactionId() const { return m_transactionId; }
    // Posts a command text to this session (4028 rename, 4029 add).
    void postCommand(int message, std::string text);
    // Whether an address is the user's own login id (servers vary its case).
    bool isOwnAddress(std::string_view email) const;

    // The lines of one read, as the link hands them over.
    void handleUnits(std::vector<MsnUnit> units);

    bool isOnline() const { return m_online; }
    // Connected to a server and not yet signed on.
    bool isSigningOn() const { return m_linkInUse && m_ownStatus < 0; }
    MsnStatusCode ownStatus() const { return m_ownStatus; }
    const std::string& ownName() const { return m_ownName; }
    MsnContactTable& contacts() { return m_contacts; }
    const MsnContactTable& contacts() const { return m_contacts; }
    int chosenContact() const { return m_chosenContact; }
    void setChosenContact(int index) { m_chosenContact = index; }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    enum class Outcome { Continue, StopAfterSend, Abandon };
    using Fields = std::vector<std::string>;
    struct Handler {
        std::string_view command;
        Outcome (MsnSession::*handle)(const Fields&, const MsnUnit&);
    };
    static const Handler kHandlers[];

    Outcome onVer(const Fields&, const MsnUnit&);
    Outcome onInf(const Fields&, const MsnUnit&);
    Outcome onXfr(const Fields&, const MsnUnit&);
    Outcome onUsr(const Fields&, const MsnUnit&);
    Outcome onMsg(const Fields&, const MsnUnit&);
    Outcome onChg(const Fields&, const MsnUnit&);
    Outcome onIln(const Fields&, const MsnUnit&);
    Outcome onLst(const Fields&, const MsnUnit&);
    Outcome onNln(const Fields&, const MsnUnit&);
    Outcome onFln(const Fields&, const MsnUnit&);
    Outcome onRng(const Fields&, const MsnUnit&);
    Outcome onRea(const Fields&, const MsnUnit&);
    Outcome onRem(const Fields&, const MsnUnit&);
    Outcome onAdd(const Fields&, const MsnUnit&);
    Outcome onOut(const Fields&, const MsnUnit&);
    Outcome on911(const Fields&, const MsnUnit&);
    Outcome on600(const Fields&, const MsnUnit&);

    Outcome addContact(
        std::string_view email, MsnStatusCode status, std::string_view name, bool redrawWhenKnown);
    // A contact known only from its presence.
    bool addPresence(std::string_view email, MsnStatusCode status, std::string_view name);
    void redirect(std::string_view address);
    // The connection's end, reported by the link: logout, and the user is
    // told unless the session had already let the connection go.
    void onConnectionEnded();
    void setStatusLine(std::string_view text);
    void redraw(platform::WParam which, platform::LParam how = msg::kRedrawItem);
    void clearSession();
    void failConnect();
    // Ends the sign-on with "서버에 접속할 수 없습니다." and the cause.
    void failSignOn(const std::string& cause);

    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    MsnConfig m_config;
    MsnAccount m_account;
    std::unique_ptr<MsnLink> m_link;
    platform::MessageTarget* m_page = nullptr;
    StatusLine* m_statusLine = nullptr;
    SwitchboardHandler* m_switchboards = nullptr;

    bool m_online = false;
    // A connection of this session is open, or ended without the user being
    // told yet.
    bool m_linkInUse = false;
    int m_chosenContact = -1;
    MsnContactTable m_contacts;
    std::string m_ownName;
    MsnStatusCode m_ownStatus = status::kOffline;
    int m_transactionId = 0;
    std::string m_prepared;
    link::SignOnDeadline m_signOnDeadline;
};

} // namespace pocket::msn
