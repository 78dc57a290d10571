#pragma once

// File: pocket/link/pc_finder.h
// Finding the PC on the local network: the PCs that announce themselves
// (DNS-SD "_quillon._tcp", proto/pc_announcement.h), each with its name,
// address, command port and the fingerprint of its private link. When the
// user picks one, its address and port go into the settings and its
// fingerprint is pinned for that address (PcPairing): the pick stands for
// the user's comparison, so the first connection asks nothing when the PC
// shows that key, and is refused like a changed key when it shows another.
// A PC already pinned with a different key is not re-pinned from the list;
// the user is told and `forgetpc` decides. Without the Avahi daemon, find()
// says so (once per reason) and the address is typed as before.

#include "platform/discovery/service_discovery.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::link {

class PcPairing;

struct FoundPc {
    std::string name;
    std::string address;
    std::uint16_t port = 0;
    std::string fingerprint; // "" when the PC offers no private link.

    bool operator==(const FoundPc&) const = default;
};

struct FindResult {
    std::vector<FoundPc> pcs;
    std::string problem; // Set when discovery could not run: the text to show.
};

class PcFinder {
public:
    static constexpr std::chrono::milliseconds kBrowseTime { 3000 };

    explicit PcFinder(std::unique_ptr<platform::ServiceBrowser> browser);

    // Blocks for up to `wait`. Services whose TXT record is not a Quillon
    // PC's are left out.
    FindResult find(std::chrono::milliseconds wait = kBrowseTime);

private:
    std::unique_ptr<platform::ServiceBrowser> m_browser;
};

enum class PickOutcome {
    Pinned,        // The fingerprint is now the address's pin.
    AlreadyPinned, // The address had this pin already.
    NothingToPin,  // The PC announced no fingerprint: the first connection asks.
    PinDiffers,    // The address keeps another pin; nothing changed.
};

PickOutcome pinPickedPc(PcPairing& pairing, const FoundPc& pc);

// "study  192.168.0.10:4000  3F:A2:...", one line of a list.
std::string foundPcLine(const FoundPc& pc);
// What the user is told for each outcome of a pick.
std::string pickOutcomeText(PickOutcome outcome, const FoundPc& pc);
// Discovery could not run: "PC 찾기를 쓸 수 없습니다 (<reason>). ...".
std::string discoveryProblemText(std::string_view reason);

} // namespace pocket::link
