#pragma once

// File: pocket/icq/icq_pen_carriage.h
// Pen messages between two handhelds inside ordinary ICQ text messages.
// Every carriage message is a type-1 message whose text is 0x07 0x07 and an
// ASCII digit: 4 probe, 8 capable, 0 start, 6 ready, 1 chunk (up to 300
// file bytes, unescaped: the message carries its length), 7 chunk taken,
// 2 end, 3 cancel. IcqPenCarriage is both ends: it owns the pen editor
// (InkComposer) of the ICQ window as the sender, and files what arrives as
// the receiver. Window thread only; everything it is given must outlive it.

#include "platform/event_loop.h"
#include "platform/ui.h"
#include "pocket/ink/ink_composer.h"
#include "pocket/ink/pen_carriage.h"
#include "pocket/ink/pen_inbox.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::icq {

namespace pen_text {
constexpr std::string_view kAlreadyWriting = "이미 잉크메세지를 작성중입니다.";
constexpr std::string_view kOfflinePeer = "오프라인 사용자에게는 \n펜메세지를 보낼 수 없습니다.";
constexpr std::string_view kProbeInvitation = "If you want to see this pen message, visit ";
} // namespace pen_text

// The bytes of a chunk message after its prefix, and what the receiver
// appends to its file for every chunk and for the end.
constexpr std::size_t kPenChunkBytes = 300;
constexpr std::size_t kPenSlotBytes = 1024;

// Whether a message text is pen carriage (starts with 0x07 0x07).
bool isPenCarriage(std::string_view body);

// How the carriage sends a message text to an ICQ number.
class CarriageSender {
public:
    virtual ~CarriageSender() = default;
    virtual bool sendCarriage(std::string_view number, std::string_view text) = 0;
};

// Creates the pen editor's window (dialog 147).
class PenEditorHost {
public:
    virtual ~PenEditorHost() = default;
    virtual std::unique_ptr<ink::InkComposerView> createComposerView() = 0;
};

struct PenCarriageSetup {
    std::filesystem::path deviceRoot;
    // Named in the probe text; a setting. Empty: the default.
    std::string webAddress { ink::kDefaultPenAddress };
};

class IcqPenCarriage final : public ink::PenCarriage {
public:
    IcqPenCarriage(PenCarriageSetup setup, CarriageSender& sender, PenEditorHost& editors, ink::PenReceptions& receptions,
        ink::PenInbox& inbox, platform::Ui& ui, platform::EventLoop& loop);
    ~IcqPenCarriage() override;

    // Opens the pen editor for a peer, which sends the probe. False (with
    // "이미 잉크메세지를 작성중입니다.") while the editor is open.
    bool openEditor(std::string_view peer, std::string_view ownNumber);
    bool isEditorOpen() const;
    ink::InkComposer* editor() { return isEditorOpen() ? m_composer.get() : nullptr; }

    // A carriage message arrived from `sender`.
    void onMessage(std::string_view sender, std::string_view body);

    // ink::PenCarriage.
    void probe(std::string_view peerId) override;
    void cancelProbe() override;
    void send(std::string_view peerId, const ink::StoredInk& ink) override;
    void cancelSend() override;

    // The session ended: the editor closes; receptions stay until replaced.
    void reset();

private:
    void sendMessage(std::string_view number, char digit, std::string_view data = {});
    bool isPenPeer(std::string_view sender) const;
    void sendNextChunk();
    bool reopenAt(std::uint64_t offset);
    void closeFile();
    void receiveStart(std::string_view sender);
    void receiveChunk(std::string_view sender, std::string_view body);
    void receiveEnd(std::string_view sender);

    PenCarriageSetup m_setup;
    CarriageSender& m_sender;
    PenEditorHost& m_editors;
    ink::PenReceptions& m_receptions;
    ink::PenInbox& m_inbox;
    platform::Ui& m_ui;
    platform::EventLoop& m_loop;

    std::unique_ptr<ink::InkComposerView> m_composerView;
    std::unique_ptr<ink::InkComposer> m_composer;
    std::string m_peer; // The pen target.
    std::optional<ink::StoredInk> m_ink;
    std::ifstream m_file;
    std::uint64_t m_bytesSent = 0;
    std::uint64_t m_fileSize = 0;
    bool m_sending = false;
};

} // namespace pocket::icq
