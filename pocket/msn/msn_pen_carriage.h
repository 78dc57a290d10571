#pragma once

// File: pocket/msn/msn_pen_carriage.h
// Pen messages over MSN. As the sender it implements the pen editor's
// PenCarriage: the probe (7) that asks whether the peer can take pen
// messages, then the start (1) with the file name, one 390-byte chunk (2)
// after each of the peer's "ready" (4) and "chunk taken" (5), and the end
// (3). As the receiver it answers the probe (8), takes the file into the
// MSN receive folder and files it in the pen inbox. The pen editor window
// is created through PenEditorHost. One pen message is sent at a time (the
// PenTransfer state). Window thread only.

#include "platform/ui.h"
#include "pocket/ink/ink_composer.h"
#include "pocket/ink/pen_carriage.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/msn/msn_chat.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace pocket::msn {

class MsnChats;

namespace pen_text {
    constexpr std::string_view kWrite = "펜 메세지를 작성해 주세요.";
    constexpr std::string_view kAlreadyWriting = "이미 잉크메세지를 작성중입니다.";
    constexpr std::string_view kOneToOneOnly = "1:1 채팅일 경우에만 펜메세지가 가능합니다.";
    constexpr std::string_view kCancelQuestion = "지금 채팅을 종료하면, 전송 중인 펜 메세지가 취소 됩니다.";
    constexpr std::string_view kReceiveStarted = "\r\n펜 메세지 수신 시작..";
    constexpr std::string_view kLaterTitle = "Quillon";
} // namespace pen_text

// Creates the pen editor (dialog 147) with its composer, not yet opened.
// The host keeps the composer while the window is open and calls
// MsnPenCarriage::onEditorClosed() before it destroys it.
class PenEditorHost {
public:
    virtual ~PenEditorHost() = default;
    virtual ink::InkComposer* createPenEditor(const ink::ComposerSetup& setup, ink::PenCarriage& carriage)
        = 0;
};

struct PenSetup {
    std::filesystem::path deviceRoot;
    std::string visitAddress { ink::kDefaultPenAddress }; // Empty: the default.
};

class MsnPenCarriage final : public ink::PenCarriage, public ChatPenHandler {
public:
    MsnPenCarriage(MsnChats& chats, MsnSession& session, PenEditorHost& editors,
        ink::PenReceptions& receptions, ink::PenInbox& inbox, platform::Ui& ui, PenSetup setup);
    ~MsnPenCarriage() override;

    // From the contact list: pen mode for `email`, waiting for a switchboard.
    void startFromContactList(std::string_view email);
    bool isWaitingForSwitchboard() const { return m_penMode && m_waitingForSwitchboard; }
    const std::string& target() const { return m_target; }
    void setPenChatSlot(int slot)
    {
        m_penChatSlot = slot;
        m_waitingForSwitchboard = false;
    }
    int penChatSlot() const { return m_penChatSlot; }
    bool isPenMode() const { return m_penMode; }
    // Opens the pen editor for the target through the pen chat.
    void openEditor();
    // The switchboard for the pen message could not be reached.
    void abandon();
    // The host is about to destroy the editor.
    void onEditorClosed() { m_composer = nullptr; }

    // ink::PenCarriage.
    void probe(std::string_view peerId) override;
    void cancelProbe() override;
    void send(std::string_view peerId, const ink::StoredInk& ink) override;
    void cancelSend() override;

    // ChatPenHandler.
    void onPenMessage(MsnChat& chat, std::string_view senderName, std::string_view body) override;
    void onJoined(MsnChat& chat) override;
    void onPenButton(MsnChat& chat) override;
    bool mayClose(MsnChat& chat) override;
    void onChatClosed(MsnChat& chat) override;

private:
    MsnChat* penChat();
    bool sendPen(char digit, std::string_view data = {});
    void sendProbe();
    void sendChunk(bool first);
    bool readChunk(bool first, std::size_t& read);
    void finishSending();
    void leavePenMode();
    ink::InkComposer* composer() const;

    void onStart(MsnChat& chat, std::string_view name);
    void onChunk(MsnChat& chat, std::string_view body);
    void onEnd(MsnChat& chat);

    MsnChats& m_chats;
    MsnSession& m_session;
    PenEditorHost& m_editors;
    ink::PenReceptions& m_receptions;
    ink::PenInbox& m_inbox;
    platform::Ui& m_ui;
    PenSetup m_setup;

    // PenTransfer: the pen message being prepared or sent.
    bool m_penMode = false;
    std::string m_target;
    std::ifstream m_file;
    std::uint64_t m_bytesSent = 0;
    std::uint64_t m_fileSize = 0;
    int m_penChatSlot = -1;
    std::string m_buffer;
    bool m_finished = false;
    bool m_probePending = false;
    bool m_waitingForSwitchboard = false;
    std::optional<ink::StoredInk> m_ink;
    ink::InkComposer* m_composer = nullptr;
};

} // namespace pocket::msn
