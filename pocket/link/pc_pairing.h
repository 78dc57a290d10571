#pragma once

// File: pocket/link/pc_pairing.h
// The handheld's side of the private link to the PC: each connection to the
// PC (command and upload ports) is made private (TLS 1.3) before anything is
// sent, and the PC is recognised by its key's fingerprint. The first time a
// PC address is met, the fingerprint is shown and the user is asked to
// compare it with the one the PC shows (its log, "Quillon 정보", or the
// console command `fingerprint`); a yes pins it. A PC whose fingerprint
// differs from the pinned one is refused with a message, and the connection
// is closed before the password or any request has been sent.
//
// Pins and the on/off setting live in the handheld's registry store. Window
// thread (it asks questions through Ui).

#include "platform/net_address.h"
#include "platform/tls/tls_relay.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
class Registry;
class Ui;
}

namespace pocket::link {

// "SecureLink" (DWORD, 1 on, 0 off) under the handheld's settings key;
// the pins under its subkey "PairedPcs", one string value per PC address.
inline constexpr std::string_view kSecureLinkValue = "SecureLink";
inline constexpr std::string_view kPairedPcsKey = "HKCU\\Software\\Quillon\\PairedPcs";

class PcPairing {
public:
    static constexpr std::chrono::milliseconds kHandshakeTimeout { 20000 };

    // `relay` is a client relay; null leaves the link clear (with a trace).
    PcPairing(platform::Registry& registry, platform::Ui& ui, std::unique_ptr<platform::TlsRelay> relay);

    // SecureLink on (the default) or off.
    bool isOn() const;
    void setOn(bool on);

    // Makes a connected socket to the PC at `address` private and checks
    // the PC's fingerprint. nullopt: refused (the user has been told why,
    // or has said no), and the socket is closed with nothing sent.
    std::optional<platform::SocketFd> secure(platform::SocketFd socket, const std::string& address);

    std::optional<std::string> pinnedFingerprint(const std::string& address) const;
    // Pins a fingerprint the user accepted for an address.
    void pin(const std::string& address, const std::string& fingerprint);
    // Forgets a PC's pin (its key was made anew): the next connection asks again.
    void forget(const std::string& address);

private:
    bool acceptNewPc(const std::string& address, const std::string& fingerprint);

    platform::Registry& m_registry;
    platform::Ui& m_ui;
    std::unique_ptr<platform::TlsRelay> m_relay;
};

// The texts the user sees. Fingerprints ("3F:A2:…") are written in lines of
// eight groups, so that a message box as wide as the handheld shows them
// whole and they are compared group by group.
std::string fingerprintLines(std::string_view fingerprint);
std::string firstPairingQuestion(std::string_view address, std::string_view fingerprint);
std::string changedKeyMessage(std::string_view address, std::string_view pinned, std::string_view seen);
inline constexpr std::string_view kNoPrivateLinkMessage
    = "PC와 보안 연결을 맺지 못했습니다. PC의 SecureLink 설정이 off이거나 PC 프로그램이 오래된 것일 수 "
      "있습니다. 아무것도 보내지 않았습니다.";

} // namespace pocket::link
