#include "pocket/msn/msn_chats.h"

#include "pocket/msn/msn_pen_carriage.h"

namespace pocket::msn {

MsnChats::MsnChats(ChatContext context)
    : m_context(context)
{
    for (int i = 0; i < kSlots; ++i)
        m_chats.push_back(std::make_unique<MsnChat>(i, m_context));
}

MsnChats::~MsnChats() = default;

void MsnChats::setPenCarriage(MsnPenCarriage* carriage)
{
    m_pen = carriage;
    m_context.pen = carriage;
}

MsnChat* MsnChats::findChatWith(std::string_view email)
{
    for (auto& chat : m_chats)
        if (chat->isInUse() && chat->hasParticipant(email))
            return chat.get();
    return nullptr;
}

int MsnChats::freeSlot() const
{
    for (const auto& chat : m_chats)
        if (!chat->isInUse())
            return chat->index();
    return -1;
}

void MsnChats::onSwitchboardGranted(std::string_view address, std::string_view cookie)
{
    int slot = freeSlot();
    if (slot < 0) {
        m_context.ui.messageBox(chat_text::kTitle, chats_text::kNoFreeSlot, platform::Icon::Warning);
        return;
    }
    int chosen = m_context.session.chosenContact();
    const auto& contacts = m_context.session.contacts();
    if (chosen < 0 || !contacts.isValid(chosen)) {
        m_context.ui.messageBox(chat_text::kTitle, chats_text::kStartFailed, platform::Icon::Warning);
        return;
    }
    // A pen message from the contact list waits for this switchboard.
    bool forPen = m_pen && m_pen->isWaitingForSwitchboard();
    ChatParticipant first;
    if (forPen) {
        first = { m_pen->target(), "", contacts.at(chosen).status };
        m_pen->setPenChatSlot(slot);
    } else {
        const auto& contact = contacts.at(chosen);
        first = { contact.email, contact.name, contact.status };
    }
    auto& chat = this->chat(slot);
    chat.claimForGrant(address, cookie, std::move(first));
    if (!chat.connect()) {
        if (forPen)
            m_pen->abandon();
        return;
    }
    if (forPen)
        m_pen->openEditor();
}

void MsnChats::onInvitation(const std::vector<std::string>& fields)
{
    std::string_view caller = fieldAt(fields, 6);
    MsnChat* target = nullptr;
    bool reuse = false;
    for (auto& chat : m_chats) {
        if (chat->isInUse() && chat->isOneToOne() && chat->hasParticipant(caller)) {
            target = chat.get();
            reuse = true;
            break;
        }
    }
    if (!target) {
        int slot = freeSlot();
        if (slot < 0)
            return; // No room: the invitation is dropped without notice.
        target = &chat(slot);
    }
    target->claimForInvitation(fields, reuse);
    target->connect();
}

void MsnChats::closeAll()
{
    for (auto& chat : m_chats)
        chat->close();
}

void MsnChats::openChatWith(int contactIndex)
{
    const auto& contacts = m_context.session.contacts();
    if (!contacts.isValid(contactIndex))
        return;
    if (MsnChat* chat = findChatWith(contacts.at(contactIndex).email)) {
        chat->showWindow();
        if (chat->view())
            chat->view()->bringToFront();
        return;
    }
    m_context.session.setChosenContact(contactIndex);
    m_context.session.sendCommand("XFR " + std::to_string(m_context.session.transactionId()) + " SB\r\n");
}

void MsnChats::sendPenMessageTo(int contactIndex)
{
    const auto& contacts = m_context.session.contacts();
    if (!contacts.isValid(contactIndex) || !m_pen)
        return;
    const std::string email = contacts.at(contactIndex).email;
    if (MsnChat* chat = findChatWith(email)) {
        m_context.ui.messageBox(chat_text::kTitle, chats_text::kBusyWithPeer, platform::Icon::Warning);
        chat->showWindow();
        chat->onPen();
        return;
    }
    m_pen->startFromContactList(email);
    m_context.session.setChosenContact(contactIndex);
    m_context.session.sendCommand("XFR " + std::to_string(m_context.session.transactionId()) + " SB\r\n");
}

} // namespace pocket::msn
