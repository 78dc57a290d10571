#pragma once

// File: pocket/icq/sign_on.h
// The frames of the ICQ sign-on, as an ICQ 2001b client sends them: the
// login frame with the roasted password and the client identification, the
// cookie frame for the session (BOS) server, the requests of the service
// handshake (family 1) and the frames that complete the sign-on; and the
// reading of the login server's sign-off frame. Pure: the session decides
// when to send what.

#include "platform/ui.h"
#include "pocket/icq/flap.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace pocket::icq {

// The FLAP sequence number of the connection. Every frame takes the next
// number, so the first frame after reset(r) carries r + 1. Shared with the
// pacers that send requests between other frames.
class FlapSequence {
public:
    void reset(std::uint16_t start) { m_value = start; }
    std::uint16_t next() { return ++m_value; }
    std::uint16_t current() const { return m_value; }

private:
    std::atomic<std::uint16_t> m_value { 0 };
};

// The client identification of the login frame.
constexpr std::string_view kClientIdText = "ICQ Inc. - Product of ICQ (TM).2001b.5.5.1.3619.85";
constexpr std::uint16_t kClientId = 266;
constexpr std::uint16_t kClientMajor = 5;
constexpr std::uint16_t kClientMinor = 5;
constexpr std::uint16_t kClientLesser = 1;
constexpr std::uint16_t kClientBuild = 3619;
constexpr std::uint32_t kClientDistribution = 85;

// The password is roasted in a 20-byte area; longer ones are cut there.
constexpr std::size_t kMaxPasswordBytes = 20;
// A UIN as decimal text has at most ten digits.
constexpr std::size_t kMaxUinDigits = 10;

// The password XORed with the protocol's 16-byte roasting table.
std::string roastPassword(std::string_view password);

std::string buildLoginFrame(std::uint16_t sequence, std::uint32_t uin, std::string_view password);
std::string buildCookieFrame(std::uint16_t sequence, std::string_view cookie);

// What the login server's sign-off frame says.
struct SignOnRefused {
    std::string text;
    platform::Icon icon = platform::Icon::Warning;
};
struct SignOnRedirect {
    std::string host; // At most 20 characters.
    std::uint16_t port = 0;
    std::string cookie;
};
struct SignOnInvalid { };
using SignOffOutcome = std::variant<SignOnRefused, SignOnRedirect, SignOnInvalid>;

namespace sign_on_text {
constexpr std::string_view kRejected = "Your ICQ number and password combination was rejected by the ICQ server. "
                                       "Please go to M->Options->ICQ and try again.";
constexpr std::string_view kRejectedShort = "Your ICQ number and password combination was rejected by the ICQ server. ";
constexpr std::string_view kRateLimit = "Rate limit exceeded.\nPlease wait and connect 10 to 20 minutes later.";
constexpr std::string_view kUnknownSignOn = "Unknown sign on error";
constexpr std::string_view kClientTooOld = "Your ICQ client version is too old for the ICQ server.";
constexpr std::string_view kOtherLocation = "You have been disconnected from the ICQ network because you logged on "
                                            "from another location using the same ICQ number.";
constexpr std::string_view kUnknownRuntime = "Unknown runtime error";
constexpr std::string_view kInvalidData = "You could not sign on because the server returned invalid data. Try again.";
} // namespace sign_on_text

constexpr std::size_t kMaxBosHostChars = 20;
constexpr std::uint16_t kIcqPort = 5190;

SignOffOutcome readSignOff(std::string_view data);

// The families this client uses, with their versions, in the order of the
// version request and of the client-ready message.
struct FamilyVersion {
    std::uint16_t family;
    std::uint16_t version;
};
constexpr std::array<FamilyVersion, 8> kFamilies { { { 1, 3 }, { 2, 1 }, { 3, 1 }, { 0x15, 1 }, { 4, 1 },
    { 6, 1 }, { 9, 1 }, { 0x0A, 1 } } };

std::string buildFamilyVersions(FlapSequence& sequence);
std::string buildRateRequest(FlapSequence& sequence);
// The rate acknowledgement, then the five rights and information requests in
// one buffer.
std::string buildRateAck(FlapSequence& sequence);
std::string buildRightsRequests(FlapSequence& sequence);

// The own-information answer (01,0F) as far as it is read.
bool readOwnInfo(std::string_view snacData);

std::string buildLocationInfo(FlapSequence& sequence);
// Status TLV 6, TLV 8 and the 37-byte direct-connection TLV 0x0C.
std::string buildSignOnStatus(FlapSequence& sequence, std::uint32_t ownAddress, std::uint32_t cookie);
// Idle time, client ready and the offline-messages request in one buffer.
std::string buildClientReady(FlapSequence& sequence, std::uint32_t uin);

} // namespace pocket::icq
