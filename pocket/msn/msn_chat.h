#pragma once

// File: pocket/msn/msn_chat.h
// One switchboard chat (one of the ten slots the chats keep): logging in to
// the switchboard or answering an invitation, the roster, text messages and
// the chat window's commands. Pen-carriage messages (a body starting with
// 0x07) go to the ChatPenHandler. The chat window implements ChatView and
// is created through ChatWindowHost; it stays open after its chat has ended,
// until the slot is used again or the user closes it. Window thread only.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/msn/msn_contact_table.h"
#include "pocket/msn/msn_link.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn {

class MsnSession;
class MsnChat;

namespace chat_text {
    constexpr std::string_view kTitle = "MSN";
    constexpr std::string_view kCannotConnect = "Can't connect..";
    constexpr std::string_view kNetworkTrouble
        = "네트웍 문제나 MSN 서버와 연결이 종료되어 메세지를 보낼 수 없습니다.";
    constexpr std::string_view kTooMany = "채팅 제한 인원(10명) 초과!";
    constexpr std::string_view kLogFull = "메세지가 꽉 찼습니다.\n지우시겠습니까?";
    constexpr std::string_view kInviteCaption = "MSN - 초대하기";
    constexpr std::string_view kReceiveDelayed = "\r\n펜 메세지 수신 지연";
} // namespace chat_text

// The chat window (dialog 127).
class ChatView {
public:
    virtual ~ChatView() = default;
    virtual void show() = 0;
    virtual void bringToFront() = 0;
    virtual void setTitle(std::string_view title) = 0;
    virtual void appendLog(std::string_view text) = 0;
    virtual void clearLog() = 0;
    // The participant drop-down; the first entry is selected.
    virtual void setParticipants(const std::vector<std::string>& entries) = 0;
    virtual void setSendEnabled(bool enabled) = 0;
    virtual void setInviteEnabled(bool enabled) = 0;
    virtual void setPenEnabled(bool enabled) = 0;
    // Reads the input (at most 1024 characters), clears it and keeps the focus there.
    virtual std::string takeInput() = 0;
    // A participant's text arrived (the log shows it too); for front ends
    // that print what arrives.
    virtual void messageReceived(std::string_view /*email*/, std::string_view /*text*/) { }
};

class ChatWindowHost {
public:
    virtual ~ChatWindowHost() = default;
    // A new, hidden chat window; its commands go to the chats with `slot`.
    virtual std::unique_ptr<ChatView> createChatWindow(int slot) = 0;
    // The contact chooser (dialog 130) over the MSN contacts: the chosen
    // contact's e-mail, or nothing.
    virtual std::optional<std::string> chooseContact(
        std::string_view caption, const MsnContactTable& contacts)
        = 0;
};

// What the pen carriage needs to hear from a chat.
class ChatPenHandler {
public:
    virtual ~ChatPenHandler() = default;
    // A message whose body starts with 0x07, from `senderName`.
    virtual void onPenMessage(MsnChat& chat, std::string_view senderName, std::string_view body) = 0;
    // Somebody joined a one-to-one chat.
    virtual void onJoined(MsnChat& chat) = 0;
    // The chat's "PEN" button.
    virtual void onPenButton(MsnChat& chat) = 0;
    // The user closes the chat window; false keeps the chat.
    virtual bool mayClose(MsnChat& chat) = 0;
    // The chat ended.
    virtual void onChatClosed(MsnChat& chat) = 0;
};

struct ChatParticipant {
    static constexpr MsnStatusCode kFree = -100;
    std::string email;
    std::string name;
    MsnStatusCode status = kFree;
};

// What every chat shares: the program's objects it talks to.
struct ChatContext {
    platform::EventLoop& loop;
    platform::Ui& ui;
    MsnLinkFactory& links;
    MsnSession& session;
    ChatWindowHost& windows;
    ChatPenHandler* pen = nullptr;
    std::uint16_t port = 1863;
};

class MsnChat final : public platform::MessageTarget {
public:
    static constexpr int kFreeSlot = -100;
    static constexpr int kMaxParticipants = 10;
    static constexpr int kWatchdogTimer = 1;
    static constexpr unsigned kWatchdogMs = 20000;
    static constexpr std::size_t kMaxInputChars = 1024;

    MsnChat(int index, ChatContext& context);
    ~MsnChat() override;

    int index() const { return m_index; }
    bool isInUse() const { return m_slotIndex != kFreeSlot; }
    bool isOneToOne() const { return m_oneToOne; }
    bool isNewWindow() const { return m_newWindow; }
    int participantCount() const { return m_count; }
    const ChatParticipant& participant(int i) const { return m_participants.at(static_cast<std::size_t>(i)); }
    // A present-or-invited participant with this e-mail.
    bool hasParticipant(std::string_view email) const;
    ChatView* view() const { return m_view.get(); }

    // Taking the slot for a switchboard the client asked for, or for an
    // invitation. Then connect().
    void claimForGrant(std::string_view address, std::string_view cookie, ChatParticipant first);
    void claimForInvitation(const std::vector<std::string>& rngFields, bool reuse);
    // Returns false (after telling the user) when the switchboard is unreachable.
    bool connect();

    // One command or message on the switchboard; false after a failure
    // (the link is then closed and the user told).
    bool send(std::string_view text);
    // A text message with the text header.
    bool sendMessage(std::string_view payload);

    void handleUnits(std::vector<MsnUnit> units);

    // Window commands.
    void onSend();
    void onInvite();
    void onPen();
    void onLogFull();
    // Cancel: closes the chat and the window.
    void onCloseWindow();

    // Frees the slot; the window stays.
    void close();
    void appendLog(std::string_view text);
    void showWindow();

    void startWatchdog();
    void stopWatchdog();
    void onTimer(int id) override;

private:
    void onUnit(const MsnUnit& unit);
    void join(std::string_view email, std::string_view name, bool notice);
    void leave(std::string_view email);
    void onMessage(const std::vector<std::string>& fields, const MsnUnit& unit);
    void refillParticipants();
    int findParticipant(std::string_view email) const;
    void createWindow();

    int m_index;
    ChatContext& m_context;
    std::unique_ptr<MsnLink> m_link;
    std::unique_ptr<ChatView> m_view;

    bool m_windowShown = false;
    bool m_oneToOne = true;
    bool m_newWindow = true;
    int m_slotIndex = kFreeSlot;
    std::string m_sessionId;
    bool m_initiator = false;
    std::string m_cookie;
    std::string m_host;
    std::array<ChatParticipant, kMaxParticipants> m_participants;
    int m_count = 1;
    int m_transactionId = 0;
};

} // namespace pocket::msn
