#pragma once

// File: pocket/msn/msn_page.h
// The MSN tab page: the contact tree with its two roots ("온라인 사용자",
// "오프라인 사용자"), the status line and status picture, the MSN menu and
// the contact menu. It receives the session's redraw messages (4027, 4030,
// 4031) and the menu commands; the window implements MsnPageView, and chats
// are started through ChatStarter. Window thread only.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/device/contact_store.h"
#include "pocket/msn/msn_session.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::msn {

namespace command {
    constexpr int kLogin = 40004;
    constexpr int kLogout = 40005;
    constexpr int kOnline = 40006;
    constexpr int kBusy = 40007;
    constexpr int kBeRightBack = 40008;
    constexpr int kAway = 40009;
    constexpr int kOnPhone = 40010;
    constexpr int kAtLunch = 40011;
    constexpr int kAppearOffline = 40012;
    constexpr int kAddContact = 40013;
    constexpr int kRename = 40014;
    constexpr int kChat = 40018;
    constexpr int kMail = 40019;
    constexpr int kDelete = 40020;
    constexpr int kInfo = 40021;
    constexpr int kPenMessage = 40041;
    constexpr int kCopyAll = 40061;
    constexpr int kCopyOne = 40062;
} // namespace command

namespace page_text {
    constexpr std::string_view kOnlineRoot = "온라인 사용자";
    constexpr std::string_view kOfflineRoot = "오프라인 사용자";
    constexpr std::string_view kPlaceholder = "사용자 없음";
    constexpr std::string_view kNoAccount = "사용자 정보를 등록해주세요.";
    constexpr std::string_view kAddCaption = "MSN - 대화상대 추가";
    constexpr std::string_view kAddLabel = "대화상대의 메일주소를  입력하세요.";
    constexpr std::string_view kAddEmpty = "추가할 아이디를 입력해 주세요.";
    constexpr std::string_view kRenameCaption = "대화명 변경";
    constexpr std::string_view kRenameLabel = "대화명을 입력하세요.";
    constexpr std::string_view kRenameEmpty = "대화명을 입력해 주세요.";
    constexpr std::string_view kNoItem = "Can`t find the tree Item handle";
    constexpr std::string_view kNoEmail = "e-mail주소 정보가 없습니다.";
    constexpr std::string_view kConfirmDelete = "님을 삭제하시겠습니까?";
    constexpr std::string_view kInfoCaption = "MSN - 등록정보";
    constexpr std::string_view kCopied = "My Contact에 추가하였습니다.";
} // namespace page_text

enum class TreeRoot { Online, Offline };

// Dialog 125: a caption, a label and one entry.
struct TextRequest {
    std::string_view caption;
    std::string_view label;
    std::string prefill;
};

// Dialog 129.
struct ContactInfo {
    std::string name;
    std::string email;
    std::string state;
};

class MsnPageView : public StatusLine {
public:
    // Empties both roots and gives each its placeholder item again.
    virtual void resetTree() = 0;
    virtual void removePlaceholders() = 0;
    virtual TreeItem insertItem(TreeRoot root, std::string_view text, int image) = 0;
    virtual void updateItem(TreeItem item, std::string_view text, int image) = 0;
    virtual void deleteItem(TreeItem item) = 0;
    virtual void setStatusBitmap(int bitmap) = 0;
    // The selected tree item, 0 when none.
    virtual TreeItem selectedItem() const = 0;
    // Nothing when the user cancelled.
    virtual std::optional<std::string> askText(const TextRequest& request) = 0;
    virtual void showContactInfo(const ContactInfo& info) = 0;
    // A contact's item was drawn anew (presence, name); for front ends that
    // print what changes.
    virtual void contactChanged(const MsnContact&) { }
};

// Chats and pen messages with a contact (the chats implement it).
class ChatStarter {
public:
    virtual ~ChatStarter() = default;
    virtual void openChatWith(int contactIndex) = 0;
    virtual void sendPenMessageTo(int contactIndex) = 0;
};

// Starts the device's mail composer addressed to one e-mail address.
class MailLauncher {
public:
    virtual ~MailLauncher() = default;
    virtual void composeTo(std::string_view email) = 0;
};

// The desktop's mail composer through xdg-email.
class XdgMailLauncher final : public MailLauncher {
public:
    void composeTo(std::string_view email) override;
};

struct PageMenuState {
    bool loginEnabled = true;
    bool logoutEnabled = false;
    bool addEnabled = false;
    bool renameEnabled = false;
    bool copyAllEnabled = false;
    bool statusMenuEnabled = false;
    int checkedStatusCommand = 0; // 0: none checked.
};

// The page menu for the own status.
PageMenuState pageMenuState(MsnStatusCode ownStatus);
// Whether "인스턴트 메세지" is enabled for a contact with this status.
bool canChatWith(MsnStatusCode contactStatus);
// "Name (status)" for a new item, "Name(status)" for an updated one; the bare
// name for contacts not online.
std::string itemText(const MsnContact& contact, bool inserted);
// The status line before any log-in.
std::string initialStatusLine(std::string_view loginId);

class MsnPage final : public platform::MessageTarget {
public:
    MsnPage(MsnSession& session, MsnPageView& view, platform::Ui& ui, platform::EventLoop& loop,
        device::ContactStore& contacts, MailLauncher& mail);

    void setChatStarter(ChatStarter* chats) { m_chats = chats; }

    // The page's first look: the tree's roots and placeholders, and the status line.
    void initialise();
    void onCommand(int commandId);

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    void redrawContact(int index);
    void redrawStatusLine();
    void reset();
    void deleteContact(int index);
    void copyContact(int index);
    int selectedContact() const;
    void addContact();
    void rename();
    // "Copy all": every contact with an address into the device's contacts.
    void copyAllToContacts();
    void confirmDelete(int index);
    void sendStatus(MsnStatusCode code);

    MsnSession& m_session;
    MsnPageView& m_view;
    platform::Ui& m_ui;
    platform::EventLoop& m_loop;
    device::ContactStore& m_store;
    MailLauncher& m_mail;
    ChatStarter* m_chats = nullptr;
    std::map<TreeItem, TreeRoot> m_roots; // Which root each contact item is under.
};

} // namespace pocket::msn
