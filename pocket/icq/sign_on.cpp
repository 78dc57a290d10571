#include "pocket/icq/sign_on.h"

#include "platform/port_number.h"

#include <algorithm>

namespace pocket::icq {

namespace {

// The password-roasting table of the OSCAR login.
constexpr std::array<std::uint8_t, 16> kRoastTable { 0xF3, 0x26, 0x81, 0xC4, 0x39, 0x86, 0xDB, 0x92, 0x71, 0xA3,
    0xB9, 0xE6, 0x53, 0x7A, 0x95, 0x7C };

constexpr std::uint16_t kTlvErrorCode = 8;
constexpr std::uint16_t kTlvDisconnectReason = 9;
// Servers answer a wrong password with 4 or 5, too many log-ins with 0x18 or
// 0x1D, and an outdated client with 0x1C.
constexpr std::uint8_t kErrorBadPassword = 5;
constexpr std::uint8_t kErrorBadPasswordOther = 4;
constexpr std::uint8_t kErrorRateLimit = 24;
constexpr std::uint8_t kErrorRateLimitOther = 0x1D;
constexpr std::uint8_t kErrorClientTooOld = 0x1C;
constexpr std::uint8_t kReasonOtherLocation = 1;

// The low byte of a 16-bit big-endian value is the one that counts.
std::uint8_t lowByte(const Tlv& tlv)
{
    return tlv.value.empty() ? 0 : static_cast<std::uint8_t>(tlv.value.back());
}

SignOnRefused disconnectReason(const Tlv& tlv)
{
    if (lowByte(tlv) == kReasonOtherLocation)
        return { std::string(sign_on_text::kOtherLocation), platform::Icon::Warning };
    return { std::string(sign_on_text::kUnknownRuntime), platform::Icon::Warning };
}

SignOnRefused errorCode(const Tlv& tlv, std::string_view rejected, platform::Icon rejectedIcon)
{
    switch (lowByte(tlv)) {
    case kErrorBadPassword:
    case kErrorBadPasswordOther:
        return { std::string(rejected), rejectedIcon };
    case kErrorRateLimit:
    case kErrorRateLimitOther:
        return { std::string(sign_on_text::kRateLimit), platform::Icon::Warning };
    case kErrorClientTooOld:
        return { std::string(sign_on_text::kClientTooOld), platform::Icon::Warning };
    default:
        return { std::string(sign_on_text::kUnknownSignOn), platform::Icon::Warning };
    }
}

} // namespace

std::string roastPassword(std::string_view password)
{
    password = password.substr(0, kMaxPasswordBytes);
    std::string roasted(password);
    for (std::size_t i = 0; i < roasted.size(); ++i)
        roasted[i] = static_cast<char>(static_cast<std::uint8_t>(roasted[i]) ^ kRoastTable[i % kRoastTable.size()]);
    return roasted;
}

std::string buildLoginFrame(std::uint16_t sequence, std::uint32_t uin, std::string_view password)
{
    FlapWriter frame(kChannelSignOn, sequence);
    frame.u32(1)
        .tlv(1, std::to_string(uin))
        .tlv(2, roastPassword(password))
        .tlv(3, kClientIdText)
        .tlv16(0x16, kClientId)
        .tlv16(0x17, kClientMajor)
        .tlv16(0x18, kClientMinor)
        .tlv16(0x19, kClientLesser)
        .tlv16(0x1A, kClientBuild)
        .tlv32(0x14, kClientDistribution)
        .tlv(0x0F, "en")
        .tlv(0x0E, "us");
    return frame.finish();
}

std::string buildCookieFrame(std::uint16_t sequence, std::string_view cookie)
{
    FlapWriter frame(kChannelSignOn, sequence);
    frame.u32(1).tlv(6, cookie);
    return frame.finish();
}

SignOffOutcome readSignOff(std::string_view data)
{
    ByteReader reader(data);
    // The first TLV is the UIN, which is not used.
    auto tlvs = readTlvs(reader, 3);
    if (tlvs.size() >= 2) {
        const Tlv& second = tlvs[1];
        if (second.type == kTlvErrorCode)
            return errorCode(second, sign_on_text::kRejected, platform::Icon::Information);
        if (second.type == kTlvDisconnectReason)
            return disconnectReason(second);
    }
    if (tlvs.size() >= 3) {
        const Tlv& third = tlvs[2];
        if (third.type == kTlvErrorCode)
            return errorCode(third, sign_on_text::kRejectedShort, platform::Icon::Warning);
        if (third.type == kTlvDisconnectReason)
            return disconnectReason(third);
    }
    if (tlvs.size() < 3 || tlvs[1].value.empty() || tlvs[2].value.empty())
        return SignOnInvalid {};
    std::string_view address = tlvs[1].value;
    SignOnRedirect redirect;
    const auto colon = address.find(':');
    redirect.host = std::string(address.substr(0, std::min(colon, kMaxBosHostChars)));
    redirect.port = kIcqPort;
    if (colon != std::string_view::npos) {
        redirect.port = platform::parsePortNumber(address.substr(colon + 1)).value_or(kIcqPort);
    }
    redirect.cookie = tlvs[2].value;
    return redirect;
}

std::string buildFamilyVersions(FlapSequence& sequence)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x01, 0x17, 0x17);
    for (const auto& pair : kFamilies)
        frame.u16(pair.family).u16(pair.version);
    return frame.finish();
}

std::string buildRateRequest(FlapSequence& sequence)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x01, 0x06);
    return frame.finish();
}

std::string buildRateAck(FlapSequence& sequence)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x01, 0x08);
    for (std::uint16_t rateClass = 1; rateClass <= 5; ++rateClass)
        frame.u16(rateClass);
    return frame.finish();
}

std::string buildRightsRequests(FlapSequence& sequence)
{
    constexpr FamilyVersion kRequests[] = { { 0x01, 0x0E }, { 0x02, 0x02 }, { 0x03, 0x02 }, { 0x04, 0x04 },
        { 0x09, 0x02 } };
    FlapWriter frames(kChannelSnac, sequence.next());
    bool first = true;
    for (const auto& request : kRequests) {
        if (!first)
            frames.nextFrame(kChannelSnac, sequence.next());
        first = false;
        frames.snac(request.family, request.version);
    }
    return frames.finish();
}

bool readOwnInfo(std::string_view snacData)
{
    ByteReader reader(snacData);
    auto uin = reader.lengthText8();
    auto warning = reader.u16();
    auto count = reader.u16();
    if (!uin || !warning || !count)
        return false;
    (void)readTlvs(reader, *count);
    return true;
}

std::string buildLocationInfo(FlapSequence& sequence)
{
    // Two capabilities: 09461349-4C7F-11D1-8222-444553540000 and
    // 09461344-4C7F-11D1-8222-444553540000.
    static const std::string kCapabilities = std::string("\x09\x46\x13\x49\x4C\x7F\x11\xD1\x82\x22\x44\x45\x53\x54\x00\x00"
                                                         "\x09\x46\x13\x44\x4C\x7F\x11\xD1\x82\x22\x44\x45\x53\x54\x00\x00",
        32);
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x02, 0x04).tlv(5, kCapabilities);
    return frame.finish();
}

std::string buildSignOnStatus(FlapSequence& sequence, std::uint32_t ownAddress, std::uint32_t cookie)
{
    std::string direct;
    direct += bigEndian32(ownAddress);
    direct += bigEndian32(0); // Direct-connection port: none.
    direct += '\x04'; // Connection type.
    direct += bigEndian16(8); // Protocol version.
    direct += bigEndian32(cookie);
    direct += bigEndian32(80); // Web-front port.
    direct += bigEndian32(3); // Client features.
    direct += bigEndian32(0xFFFFFFFF);
    direct += bigEndian32(0x3B7248ED);
    direct += bigEndian32(0x3B7248ED);
    direct += bigEndian16(0);
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x01, 0x1E).tlv32(6, 0).tlv16(8, 0).tlv(0x0C, direct);
    return frame.finish();
}

std::string buildClientReady(FlapSequence& sequence, std::uint32_t uin)
{
    constexpr std::uint16_t kToolId = 0x0110;
    constexpr std::uint16_t kToolVersion = 0x028A;
    FlapWriter frames(kChannelSnac, sequence.next());
    frames.snac(0x01, 0x11).u32(0);
    frames.nextFrame(kChannelSnac, sequence.next()).snac(0x01, 0x02);
    for (const auto& pair : kFamilies)
        frames.u16(pair.family).u16(pair.version).u16(kToolId).u16(kToolVersion);
    frames.nextFrame(kChannelSnac, sequence.next()).snac(0x15, 0x02, 0x00020001);
    std::string request;
    request += static_cast<char>(8);
    request += '\0';
    for (int shift = 0; shift < 32; shift += 8)
        request += static_cast<char>((uin >> shift) & 0xFF);
    request += std::string("\x3C\x00\x02\x00", 4);
    frames.tlv(1, request);
    return frames.finish();
}

} // namespace pocket::icq
