#include "pocket/msn/msn_pen_carriage.h"

#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_pen_codec.h"
#include "pocket/msn/msn_session.h"

namespace pocket::msn {

using ink::Network;

MsnPenCarriage::MsnPenCarriage(MsnChats& chats, MsnSession& session, PenEditorHost& editors,
    ink::PenReceptions& receptions, ink::PenInbox& inbox, platform::Ui& ui, PenSetup setup)
    : m_chats(chats)
    , m_session(session)
    , m_editors(editors)
    , m_receptions(receptions)
    , m_inbox(inbox)
    , m_ui(ui)
    , m_setup(std::move(setup))
{
    if (m_setup.visitAddress.empty())
        m_setup.visitAddress = ink::kDefaultPenAddress;
}

MsnPenCarriage::~MsnPenCarriage() = default;

ink::InkComposer* MsnPenCarriage::composer() const
{
    return m_composer && !m_composer->isClosed() ? m_composer : nullptr;
}

MsnChat* MsnPenCarriage::penChat()
{
    if (m_penChatSlot < 0 || m_penChatSlot >= MsnChats::kSlots)
        return nullptr;
    MsnChat& chat = m_chats.chat(m_penChatSlot);
    return chat.isInUse() ? &chat : nullptr;
}

bool MsnPenCarriage::sendPen(char digit, std::string_view data)
{
    MsnChat* chat = penChat();
    return chat && chat->sendMessage(penPayload(digit, data));
}

void MsnPenCarriage::startFromContactList(std::string_view email)
{
    m_penMode = true;
    m_bytesSent = 0;
    m_target = std::string(email);
    m_penChatSlot = -1;
    m_probePending = false;
    m_waitingForSwitchboard = true;
}

void MsnPenCarriage::openEditor()
{
    ink::ComposerSetup setup { Network::Msn, m_target, m_session.account().loginId, m_setup.deviceRoot };
    m_composer = m_editors.createPenEditor(setup, *this);
    if (!m_composer) {
        // A front end without a pen editor.
        leavePenMode();
        return;
    }
    m_composer->open(); // Asks probe() at once.
}

void MsnPenCarriage::abandon()
{
    leavePenMode();
}

void MsnPenCarriage::leavePenMode()
{
    m_penMode = false;
    m_penChatSlot = -1;
    m_probePending = false;
    m_waitingForSwitchboard = false;
    m_file.close();
}

// Probe.

void MsnPenCarriage::probe(std::string_view)
{
    MsnChat* chat = penChat();
    // Before the peer has joined the switchboard the probe waits for it.
    if (chat && chat->participantCount() >= 2)
        sendProbe();
    else
        m_probePending = true;
}

void MsnPenCarriage::sendProbe()
{
    m_probePending = false;
    sendPen(pen_digit::kProbe, probeText(m_setup.visitAddress));
}

void MsnPenCarriage::onJoined(MsnChat& chat)
{
    if (m_penMode && m_probePending && chat.index() == m_penChatSlot)
        sendProbe();
}

void MsnPenCarriage::cancelProbe()
{
    leavePenMode();
    m_composer = nullptr;
}

// Sending.

void MsnPenCarriage::send(std::string_view, const ink::StoredInk& ink)
{
    m_file.close();
    m_ink = ink;
    m_finished = false;
    m_bytesSent = 0;
    m_fileSize = 0;
    sendPen(pen_digit::kStart, ink::fileNameOf(ink.handheldPath));
}

void MsnPenCarriage::cancelSend()
{
    leavePenMode();
    m_composer = nullptr;
}

bool MsnPenCarriage::readChunk(bool first, std::size_t& read)
{
    m_buffer.assign(kSendBufferBytes, kPadding);
    m_file.read(m_buffer.data(), static_cast<std::streamsize>(kChunkBytes));
    read = static_cast<std::size_t>(m_file.gcount());
    if (!m_file.bad())
        return true;
    // The file is closed and the user may try the same chunk again.
    m_file.close();
    auto* editor = composer();
    std::string_view title = first ? ink::composer_text::kSendFailedTitle : pen_text::kLaterTitle;
    if (!editor || !editor->askResend(title))
        return false;
    m_file.open(m_ink->hostPath, std::ios::binary);
    if (!m_file) {
        editor->onReopenFailed(title);
        return false;
    }
    m_file.seekg(static_cast<std::streamoff>(m_bytesSent));
    return readChunk(first, read);
}

void MsnPenCarriage::sendChunk(bool first)
{
    if (!m_penMode || !m_ink || m_finished)
        return;
    auto* editor = composer();
    // A stray "chunk taken" after a failed or abandoned transfer finds no
    // file; it must not end the message early.
    if (!first && !m_file.is_open())
        return;
    if (first) {
        m_file.close();
        m_file.clear();
        m_file.open(m_ink->hostPath, std::ios::binary);
        std::error_code error;
        m_fileSize = std::filesystem::file_size(m_ink->hostPath, error);
        if (!m_file || error) {
            m_file.close();
            if (editor)
                editor->onFileUnopenable();
            return;
        }
    }
    std::size_t read = 0;
    if (!readChunk(first, read))
        return;
    if (read == 0) {
        finishSending();
        return;
    }
    sendPen(pen_digit::kChunk, escapeChunk(std::string_view(m_buffer).substr(0, kChunkBytes)));
    m_bytesSent += read;
    if (editor) {
        editor->onProgress(m_bytesSent, m_fileSize);
        editor->restartAnswerTimer();
    }
}

void MsnPenCarriage::finishSending()
{
    m_buffer[0] = static_cast<char>(kExhausted);
    m_file.close();
    m_finished = true;
    sendPen(pen_digit::kEnd);
    m_target.clear();
    m_buffer.clear();
    leavePenMode();
    if (auto* editor = composer())
        editor->onSent();
    m_composer = nullptr;
}

// Receiving, and the sender's answers.

void MsnPenCarriage::onPenMessage(MsnChat& chat, std::string_view senderName, std::string_view body)
{
    auto message = parsePenMessage(body);
    if (!message)
        return;
    bool isPenChat = m_penMode && chat.index() == m_penChatSlot;
    switch (message->digit) {
    case pen_digit::kProbe:
        chat.appendLog("\r\n" + std::string(senderName) + "님이 펜 메세지를 작성 중 입니다.");
        chat.sendMessage(penPayload(pen_digit::kCanTake));
        return;
    case pen_digit::kCanTake:
        if (isPenChat)
            if (auto* editor = composer())
                editor->onPeerReady(pen_text::kWrite);
        return;
    case pen_digit::kReady:
    case pen_digit::kChunkTaken:
        if (isPenChat)
            sendChunk(message->digit == pen_digit::kReady);
        return;
    case pen_digit::kStart:
        onStart(chat, message->data);
        return;
    case pen_digit::kChunk:
        onChunk(chat, body);
        return;
    case pen_digit::kEnd:
        onEnd(chat);
        return;
    default:
        m_receptions.cancel(Network::Msn, chat.participant(0).email);
        return;
    }
}

void MsnPenCarriage::onStart(MsnChat& chat, std::string_view name)
{
    chat.appendLog(pen_text::kReceiveStarted);
    chat.startWatchdog();
    const std::string& sender = chat.participant(0).email;
    // The announced name is reduced to one safe path component.
    if (!m_receptions.begin(Network::Msn, sender, ink::announcedInkPath(Network::Msn, name))) {
        chat.stopWatchdog();
        return;
    }
    chat.sendMessage(penPayload(pen_digit::kReady));
}

void MsnPenCarriage::onChunk(MsnChat& chat, std::string_view body)
{
    chat.stopWatchdog();
    const std::string& sender = chat.participant(0).email;
    if (!m_receptions.append(Network::Msn, sender, unescapeChunk(body))) {
        // Unknown, unwritable or oversized: the peer gets no answer and gives up.
        m_receptions.cancel(Network::Msn, sender);
        return;
    }
    chat.sendMessage(penPayload(pen_digit::kChunkTaken));
    chat.startWatchdog();
}

void MsnPenCarriage::onEnd(MsnChat& chat)
{
    chat.stopWatchdog();
    const std::string sender = chat.participant(0).email;
    auto path = m_receptions.finish(Network::Msn, sender);
    if (!path)
        return;
    if (m_inbox.received(Network::Msn, sender, *path))
        chat.appendLog("\r\n\r\n" + std::string(ink::fileNameOf(*path)) + " 수신 완료..");
}

// The chat window.

void MsnPenCarriage::onPenButton(MsnChat& chat)
{
    if (m_penMode && composer()) {
        m_ui.messageBox(chat_text::kTitle, pen_text::kAlreadyWriting, platform::Icon::Warning);
        return;
    }
    m_penMode = true;
    m_target = chat.participant(0).email;
    if (!chat.isOneToOne()) {
        m_ui.messageBox(chat_text::kTitle, pen_text::kOneToOneOnly, platform::Icon::Warning);
        m_penMode = false;
        return;
    }
    m_penChatSlot = chat.index();
    openEditor();
}

bool MsnPenCarriage::mayClose(MsnChat& chat)
{
    if (!m_penMode || chat.index() != m_penChatSlot)
        return true;
    if (m_ui.question(chat_text::kTitle, pen_text::kCancelQuestion, platform::Buttons::OkCancel)
        != platform::Answer::Ok)
        return false;
    if (auto* editor = composer())
        editor->onQuit();
    leavePenMode();
    m_composer = nullptr;
    return true;
}

void MsnPenCarriage::onChatClosed(MsnChat& chat)
{
    m_receptions.cancel(Network::Msn, chat.participant(0).email);
    // A pen message through this chat can go no further; the editor's own
    // timers tell the user.
    if (chat.index() == m_penChatSlot)
        m_penChatSlot = -1;
}

} // namespace pocket::msn
