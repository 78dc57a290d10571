#pragma once

// File: pocket/icq/icq_messenger.h
// The ICQ page once the session is signed on: the contact list (a local
// file mirrored to the server's buddy list and stored list), presence, the
// own status, online and offline messages shown in per-contact message
// windows, plain-text messages to one contact or several, user information,
// and the pen-message carriage's text messages. Listens to the IcqSession;
// the page's widgets call the command functions. Window thread only; every
// reference it is given must outlive it.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/icq/contact_list.h"
#include "pocket/icq/contact_tree.h"
#include "pocket/icq/device_ports.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/icq_session.h"
#include "pocket/icq/icq_snacs.h"
#include "pocket/icq/message_text.h"
#include "pocket/icq/message_windows.h"
#include "pocket/icq/request_pacer.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

namespace messenger_text {
constexpr std::string_view kAlreadyListed = "My Contacts에 존재하는 사용자입니다.";
constexpr std::string_view kListFull = "더 이상 친구를 추가할 수 없습니다.";
constexpr std::string_view kConfirmDelete = "%s님을 친구목록에서 삭제하시겠습니까?";
constexpr std::string_view kNoSuchUser = "%s - 존재하지 않는 사용자입니다";
constexpr std::string_view kAskRemove = "\n삭제할까요?";
constexpr std::string_view kUnsupportedPlugin = "Unsupported plugin message type: %s";
constexpr std::string_view kUnprocessedType = "Unprocessed message type %d";
constexpr std::string_view kInkReceive = "ink message receive";
constexpr std::string_view kUnknownOnlineUser = "Unknown Online User";
constexpr std::string_view kCannotFindUser = "\r\nCan't to find the information of this user.";
constexpr std::string_view kOfflineNotice = "\r\nMessage was sent. User is Offline.\r\nThe message will be delivered when user goes Online.";
constexpr std::string_view kAskAdd = "%s\n님을 친구로 추가하시겠습니까?";
constexpr std::string_view kListedUser = "My Contacts에 등록된 사용자입니다.";
constexpr std::string_view kLogFull = "메세지가 꽉 찼습니다.\n지우시겠습니까?";
constexpr std::string_view kChooseRecipients = "받을 사람을 선택해주세요.";
constexpr std::string_view kEnterMessage = "메세지를 입력해주세요.";
constexpr std::string_view kAskLogout = "로그아웃 하시겠습니까?";
constexpr std::string_view kAccountChanged = "ICQ사용자 정보가 변경되었습니다. \n로그인 하시겠습니까?";
constexpr std::string_view kNoEmail = "e-mail주소 정보가 없습니다.";
constexpr std::string_view kCopiedToDevice = "My Contact에 추가하였습니다.";
constexpr std::string_view kRegisterUser = "사용자 정보를 등록해주세요.";
} // namespace messenger_text

// Limits of the message texts.
constexpr std::size_t kMaxInputChars = 1024;
constexpr std::size_t kMaxShownChars = 4096;
constexpr std::size_t kMaxBroadcastChars = 500;
constexpr std::size_t kMaxBroadcastBytes = 510;

// The own-status line and picture of the ICQ page.
class IcqPageView {
public:
    virtual ~IcqPageView() = default;
    virtual void setStatusLine(std::string_view text) = 0;
    virtual void setOwnStatusBitmap(int bitmap) = 0;
    // A contact's presence or name changed; for front ends that print what
    // changes.
    virtual void contactChanged(const IcqContact&) { }
};

// The contact information dialog (129).
struct ContactInfo {
    std::string title; // "ICQ - <number>"
    std::string nickLine; // "Nick : <nick>"
    std::string email;
    std::string state;
    std::string firstName;
    std::string lastName;
};

struct MessengerPorts {
    platform::Ui& ui;
    IcqPageView& page;
    ContactTreeView& tree;
    MessageWindowHost& windows;
    DeviceContacts& deviceContacts;
    MailComposer& mail;
    platform::EventLoop& loop;
};

class IcqMessenger final : public SessionListener, public CarriageSender {
public:
    IcqMessenger(IcqSession& session, MessengerPorts ports);
    ~IcqMessenger() override;

    void setPenCarriage(IcqPenCarriage* carriage) { m_pen = carriage; }
    // The handheld's ANSI code page, in which ICQ texts travel.
    void setCodePage(std::string codePage) { m_codePage = std::move(codePage); }

    // SessionListener.
    void onLoginStarting() override;
    std::vector<std::string> onSignedOn() override;
    void onSnac(const SnacHeader& header, std::string_view data) override;
    void onReset() override;

    // CarriageSender: a type-1 message with any bytes.
    bool sendCarriage(std::string_view number, std::string_view text) override;

    // The ICQ page's commands.
    void connect(std::string_view icqId, std::string_view password);
    void onAccountChanged(std::string_view icqId, std::string_view password);
    void logout();
    void setOwnStatus(std::uint32_t status);
    void addContact(std::string_view number);
    void addFromDialog(std::string_view entry);
    void deleteContact(std::string_view number);
    void openMessageWindow(std::string_view number);
    void emailContact(std::string_view number);
    void penToContact(std::string_view number);
    void copyAllToDevice();
    void copyToDevice(std::string_view number);
    void broadcast(const std::vector<std::string>& numbers, std::string_view text);
    std::optional<ContactInfo> contactInfo(std::string_view number) const;
    PageMenuState menuState() const { return pageMenuState(m_session.ownStatus()); }
    // The configured ICQ number ("ICQID"): the status line names it while
    // the session is not signed on, also before the first sign-on.
    void setAccountNumber(std::string_view number) { m_accountNumber = std::string(number); }
    void redrawStatusLine();

    // The message windows' commands, by slot.
    void onWindowSend(int slot, std::string_view input);
    void onWindowAdd(int slot);
    void onWindowLogFull(int slot);
    void onWindowPen(int slot);
    void onWindowClosed(int slot);

    const ContactList& contacts() const { return m_contacts; }
    const MessageWindows& windows() const { return m_windows; }
    const std::string& ownNick() const { return m_ownNick; }

private:
    // Presence (family 3).
    void onContactOnline(std::string_view data);
    void onContactOffline(std::string_view data);
    void contactChanged(IcqContact& contact);
    // Messages (family 4) and the extension family.
    void onIncomingMessage(std::string_view data);
    void handleMessage(IncomingMessage message);
    // `text` is UTF-8.
    void showReceived(const std::string& sender, std::string_view text);
    void onMetaAnswer(std::string_view data);
    void onEndOfOfflineMessages();
    void onInfoAnswer(const MetaAnswer& answer);
    void onUserNotFound(std::uint16_t sequence);
    // Contacts.
    void removeContact(std::string_view number);
    void requestInfo(std::string_view number, bool justAdded = false);
    void requestOwnInfo();
    bool sendText(std::string_view number, std::string_view wireText);
    std::string windowTitle(std::string_view number, bool unknownSender) const;
    std::string ownName() const;
    // Local 8-bit text from the network (decodeLocalText).
    std::string fromWire(std::string_view bytes) const;
    std::string toWire(std::string_view text) const;
    void copy(const IcqContact& contact);

    IcqSession& m_session;
    platform::Ui& m_ui;
    IcqPageView& m_page;
    DeviceContacts& m_deviceContacts;
    MailComposer& m_mail;
    ContactList m_contacts;
    ContactTree m_tree;
    MessageWindows m_windows;
    RequestPacer m_infoPacer;
    IcqPenCarriage* m_pen = nullptr;
    std::string m_codePage = "UTF-8";
    std::string m_accountNumber;

    std::string m_ownNick;
    std::string m_ownFirstName;
    std::string m_ownLastName;
    std::string m_ownEmail;
    std::uint16_t m_infoSequence = 2;
    // The number each information request asked for, by its sequence.
    struct AskedInfo {
        std::string number;
        bool justAdded = false; // Asked for right after the user added it.
    };
    std::map<std::uint16_t, AskedInfo> m_asked;
};

// printf-style "%s" and "%d" of the texts above.
std::string withText(std::string_view pattern, std::string_view text);

} // namespace pocket::icq
