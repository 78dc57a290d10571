#pragma once

// File: pocket/ink/pen_carriage.h
// The boundary between the pen-message window and the messenger that carries
// the file (MSN or ICQ). The messenger implements PenCarriage; the composer
// is told what happened through InkComposer's on...() calls, which the
// messenger makes on the window thread.

#include <filesystem>
#include <string>
#include <string_view>

namespace pocket::ink {

// The web address the pen probe names, for peers that cannot show pen
// messages. It is a setting of the handheld; this one stands in for an
// empty or missing setting.
constexpr std::string_view kDefaultPenAddress = "http://www.quillon.example/";

// A stored ink file ready to travel: where it lies on this machine, and its
// handheld path, whose last part is the name announced to the peer.
struct StoredInk {
    std::filesystem::path hostPath;
    std::string handheldPath;
};

class PenCarriage {
public:
    virtual ~PenCarriage() = default;

    // Asks the peer whether it can take pen messages. The messenger drives
    // InkComposer::onCheckTick() on its check timer until the peer answers
    // (InkComposer::onPeerReady()) or the composer gives up.
    virtual void probe(std::string_view peerId) = 0;

    // The composer closed while the check was running.
    virtual void cancelProbe() = 0;

    // Sends the file to the peer. Progress and the end come back through
    // InkComposer::onProgress() and onSent(); a peer that stops answering
    // through onAnswerTimeout().
    virtual void send(std::string_view peerId, const StoredInk& ink) = 0;

    // The composer closed while a transfer was running.
    virtual void cancelSend() = 0;
};

} // namespace pocket::ink
