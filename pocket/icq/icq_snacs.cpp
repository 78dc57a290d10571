#include "pocket/icq/icq_snacs.h"

#include <algorithm>

namespace pocket::icq {

namespace {

constexpr std::uint16_t kFamilyMessage = 0x04;
constexpr std::uint16_t kFamilyExtension = 0x15;
constexpr std::uint16_t kMetaRequest = 2000;
constexpr std::uint16_t kBuddyItemId = 0x1234;
constexpr std::uint8_t kFragmentText = 0x01;

std::string littleEndian16(std::uint16_t value)
{
    return { static_cast<char>(value & 0xFF), static_cast<char>(value >> 8) };
}

std::string littleEndian32(std::uint32_t value)
{
    return littleEndian16(value & 0xFFFF) + littleEndian16(value >> 16);
}

std::string lengthByteText(std::string_view text)
{
    text = text.substr(0, 0xFF);
    return static_cast<char>(text.size()) + std::string(text);
}

std::string numberTextOf(std::uint32_t number)
{
    return std::to_string(number);
}

// The text fragment (id 1) of a channel-1 message: charset, subset, text.
void readChannelOneText(std::string_view value, IncomingMessage& message)
{
    ByteReader reader(value);
    while (reader.remaining() > 0) {
        auto id = reader.byte();
        auto version = reader.byte();
        auto length = reader.u16();
        if (!length)
            break;
        auto fragment = reader.raw(*length);
        if (!fragment)
            break;
        if (*id == kFragmentText && fragment->size() >= 4) {
            ByteReader text(*fragment);
            message.charset = text.u16().value_or(kCharsetLocal);
            message.body = std::string(fragment->substr(4));
            return;
        }
        (void)version;
    }
    message.body = std::string(value);
}

// The rendezvous block (TLV 5) of a channel-2 message.
bool readRendezvous(std::string_view value, IncomingMessage& message)
{
    ByteReader reader(value);
    // Request kind, cookie and capability come first.
    if (!reader.skip(2 + 8 + 16))
        return false;
    auto tlvs = readTlvs(reader);
    const Tlv* extension = findTlv(tlvs, 0x2711);
    if (!extension)
        return false;
    ByteReader data(extension->value);
    auto headerLength = data.u16le();
    if (!headerLength || *headerLength < 2 || !data.skip(*headerLength - 2))
        return false;
    auto sequence = data.u16le();
    auto secondLength = data.u16le();
    if (!secondLength || !data.skip(*secondLength))
        return false;
    auto type = data.byte();
    auto flags = data.byte();
    if (!flags || !data.skip(4)) // Status and priority.
        return false;
    auto text = data.lengthText16le();
    if (!text)
        return false;
    message.sequence = *sequence;
    message.type = *type;
    message.flags = *flags;
    message.body = *text;
    if (message.type == kPluginMessageType) {
        // The plugin header: its length, the plugin id, a function number,
        // then the plugin's name behind a 32-bit length.
        auto pluginLength = data.u16le();
        if (!pluginLength || !data.skip(16 + 2))
            return false;
        auto nameLength = data.u32le();
        if (!nameLength || *nameLength > data.remaining())
            return false;
        message.pluginName = std::string(*data.raw(*nameLength));
        message.body.clear();
        // Plugin data after the header: its whole length, then a text behind
        // a 32-bit length; missing text leaves the message empty.
        if (data.skip(15) && data.u32le()) {
            auto textLength = data.u32le();
            if (textLength && *textLength <= data.remaining())
                message.body = std::string(*data.raw(*textLength));
        }
    }
    return true;
}

bool readChannelFour(std::string_view value, IncomingMessage& message)
{
    ByteReader reader(value);
    auto sender = reader.u32le();
    auto type = reader.byte();
    auto flags = reader.byte();
    auto length = reader.u16le();
    if (!length)
        return false;
    auto body = reader.raw(std::min<std::size_t>(*length, reader.remaining()));
    message.type = *type;
    message.flags = *flags;
    message.body = std::string(*body);
    (void)sender;
    return true;
}

} // namespace

std::string buildAddBuddy(FlapSequence& sequence, std::string_view number)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x03, 0x04).raw(lengthByteText(number));
    return frame.finish();
}

std::string buildVisibleListAdd(FlapSequence& sequence, std::string_view number)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x09, 0x05, 7).raw(lengthByteText(number));
    return frame.finish();
}

std::string buildServerListItem(FlapSequence& sequence, std::uint16_t subtype, std::string_view number)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x13, subtype)
        .u16(static_cast<std::uint16_t>(number.size()))
        .raw(number)
        .u16(0) // Group id.
        .u16(kBuddyItemId)
        .u16(0) // Item type: buddy.
        .u16(0); // No TLV data.
    return frame.finish();
}

std::string buildSetStatus(FlapSequence& sequence, std::uint32_t status)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(0x01, 0x1E).tlv32(6, status);
    return frame.finish();
}

std::string buildTextMessage(FlapSequence& sequence, std::uint32_t ownUin, std::string_view number,
    std::string_view text)
{
    // Keeps the frame well inside its 16-bit length; every caller sends far less.
    text = text.substr(0, kMaxMessageBytes);
    std::string inner = littleEndian32(ownUin);
    inner += '\x01'; // Type: plain text.
    inner += '\0'; // Flags.
    inner += littleEndian16(static_cast<std::uint16_t>(text.size() + 1));
    inner += text;
    inner += '\0';
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(kFamilyMessage, 0x06, 0).zeros(8).u16(4).raw(lengthByteText(number)).tlv(5, inner).tlv(6, {});
    return frame.finish();
}

std::string buildMessageAck(FlapSequence& sequence, std::string_view cookie, std::string_view sender,
    std::uint16_t messageSequence, std::uint8_t type, std::uint8_t flags)
{
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(kFamilyMessage, 0x0B)
        .raw(cookie.substr(0, 8))
        .zeros(8 - std::min<std::size_t>(8, cookie.size()))
        .u16(2)
        .raw(lengthByteText(sender))
        .u16(3) // Reason.
        .u16le(27)
        .u16le(8)
        .zeros(16)
        .u16(0)
        .u32le(3)
        .byte(0)
        .u16le(messageSequence)
        .u16le(14)
        .u16le(messageSequence)
        .zeros(12)
        .byte(type)
        .byte(flags)
        .u32(0)
        .u16le(1)
        .byte(0)
        .u32(0)
        .u32(0xFFFFFF00);
    return frame.finish();
}

std::string buildInfoRequest(FlapSequence& sequence, std::uint32_t ownUin, std::uint16_t requestSequence,
    std::uint16_t subtype, std::uint32_t number)
{
    std::string request = littleEndian16(14) + littleEndian32(ownUin) + littleEndian16(kMetaRequest);
    request += bigEndian16(requestSequence);
    request += littleEndian16(subtype) + littleEndian32(number);
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(kFamilyExtension, 0x02).tlv(1, request);
    return frame.finish();
}

std::string buildDeleteOfflineMessages(FlapSequence& sequence, std::uint32_t ownUin)
{
    std::string request = littleEndian16(8) + littleEndian32(ownUin) + littleEndian16(0x003E) + littleEndian16(0x0011);
    FlapWriter frame(kChannelSnac, sequence.next());
    frame.snac(kFamilyExtension, 0x02).tlv(1, request);
    return frame.finish();
}

std::optional<OnlineNotice> readOnlineNotice(std::string_view data)
{
    ByteReader reader(data);
    auto number = reader.lengthText8();
    auto warning = reader.u16();
    auto count = reader.u16();
    if (!count || number->empty() || number->size() > kMaxNoticeDigits)
        return std::nullopt;
    OnlineNotice notice;
    notice.number = *number;
    for (const auto& tlv : readTlvs(reader, *count)) {
        ByteReader value(tlv.value);
        if (tlv.type == 0x06) {
            notice.status = static_cast<std::uint16_t>(value.u32().value_or(0) & 0xFFFF);
        } else if (tlv.type == 0x0A) {
            notice.externalIp = value.u32().value_or(0);
        } else if (tlv.type == 0x0C) {
            notice.internalIp = value.u32().value_or(0);
            notice.port = value.u32().value_or(0);
            notice.connectionType = value.byte().value_or(0);
            notice.protocolVersion = value.u16().value_or(0);
            notice.cookie = value.u32().value_or(0);
        }
    }
    (void)warning;
    return notice;
}

std::optional<std::string> readOfflineNotice(std::string_view data)
{
    ByteReader reader(data);
    auto number = reader.lengthText8();
    if (!number || number->empty())
        return std::nullopt;
    return number;
}

std::optional<IncomingMessage> readIncomingMessage(std::string_view data)
{
    ByteReader reader(data);
    auto cookie = reader.raw(8);
    auto channel = reader.u16();
    auto sender = reader.lengthText8();
    auto warning = reader.u16();
    auto count = reader.u16();
    if (!count || sender->empty())
        return std::nullopt;
    IncomingMessage message;
    message.cookie = std::string(*cookie);
    message.channel = *channel;
    message.sender = *sender;
    (void)warning;
    // The sender's own TLVs, then the message's.
    (void)readTlvs(reader, *count);
    const auto tlvs = readTlvs(reader);
    bool read = false;
    if (message.channel == 1) {
        if (const Tlv* text = findTlv(tlvs, 2)) {
            message.type = 1;
            readChannelOneText(text->value, message);
            read = true;
        }
    } else if (message.channel == 2) {
        if (const Tlv* rendezvous = findTlv(tlvs, 5))
            read = readRendezvous(rendezvous->value, message);
    } else if (message.channel == 4) {
        if (const Tlv* inner = findTlv(tlvs, 5))
            read = readChannelFour(inner->value, message);
    }
    if (!read)
        return std::nullopt;
    return message;
}

std::string_view messageText(std::string_view body)
{
    return body.substr(0, body.find('\0'));
}

std::optional<MetaAnswer> readMetaAnswer(std::string_view data)
{
    ByteReader reader(data);
    auto tlvs = readTlvs(reader);
    const Tlv* answer = findTlv(tlvs, 1);
    if (!answer)
        return std::nullopt;
    ByteReader fields(answer->value);
    auto chunk = fields.u16le();
    auto own = fields.u32le();
    auto type = fields.u16le();
    // The request sequence comes back as this client wrote it, high byte first.
    auto sequence = fields.u16();
    if (!sequence)
        return std::nullopt;
    (void)chunk;
    (void)own;
    return MetaAnswer { *type, *sequence, std::string(fields.rest()) };
}

std::optional<IncomingMessage> readOfflineMessage(std::string_view body)
{
    ByteReader reader(body);
    auto sender = reader.u32le();
    // Year, month, day, hour, minute.
    if (!sender || !reader.skip(2 + 4))
        return std::nullopt;
    auto type = reader.byte();
    auto flags = reader.byte();
    auto length = reader.u16le();
    if (!length)
        return std::nullopt;
    IncomingMessage message;
    message.channel = 4;
    message.sender = numberTextOf(*sender);
    message.type = *type;
    message.flags = *flags;
    message.body = std::string(*reader.raw(std::min<std::size_t>(*length, reader.remaining())));
    return message;
}

} // namespace pocket::icq
