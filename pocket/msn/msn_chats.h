#pragma once

// File: pocket/msn/msn_chats.h
// The ten chat slots of the MSN session: asking for a switchboard when the
// user opens a chat, taking the switchboard the server grants, answering
// invitations, and routing the chat windows' commands by slot. Pen messages
// start here too (from the contact list) and then belong to the pen
// carriage. Window thread only.

#include "pocket/msn/msn_chat.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_session.h"

#include <memory>
#include <vector>

namespace pocket::msn {

class MsnPenCarriage;

namespace chats_text {
    constexpr std::string_view kNoFreeSlot = "채팅 창 제한 초과!!";
    constexpr std::string_view kStartFailed = "채팅 시작 실패!";
    constexpr std::string_view kBusyWithPeer
        = "선택한 사용자가 채팅에 참여 중이거나, 펜 메세지를 송신하고 있는 중 입니다.";
} // namespace chats_text

class MsnChats final : public SwitchboardHandler, public ChatStarter {
public:
    static constexpr int kSlots = 10;

    // The context's pen handler is set by setPenCarriage().
    explicit MsnChats(ChatContext context);
    ~MsnChats() override;

    void setPenCarriage(MsnPenCarriage* carriage);

    MsnChat& chat(int slot) { return *m_chats.at(static_cast<std::size_t>(slot)); }
    // The chat in use that has this participant, if any.
    MsnChat* findChatWith(std::string_view email);
    int freeSlot() const;

    // SwitchboardHandler.
    void onSwitchboardGranted(std::string_view address, std::string_view cookie) override;
    void onInvitation(const std::vector<std::string>& fields) override;
    void closeAll() override;

    // ChatStarter.
    void openChatWith(int contactIndex) override;
    void sendPenMessageTo(int contactIndex) override;

private:
    ChatContext m_context;
    MsnPenCarriage* m_pen = nullptr;
    std::vector<std::unique_ptr<MsnChat>> m_chats;
};

} // namespace pocket::msn
