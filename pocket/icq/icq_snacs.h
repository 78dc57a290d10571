#pragma once

// File: pocket/icq/icq_snacs.h
// The SNACs of the established ICQ session: buddy list (family 3), server
// list (0x13), messages (4), visibility (9) and the ICQ extension family
// (0x15, little-endian fields inside TLV 1). Builders return whole FLAP
// frames; readers take the data after the SNAC header and return nothing
// for a block too short for its fields. Pure codecs.

#include "pocket/icq/flap.h"
#include "pocket/icq/message_charset.h"
#include "pocket/icq/sign_on.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pocket::icq {

// Buddy list: 03,04 (add), and the invisible user's visible list: 09,05.
std::string buildAddBuddy(FlapSequence& sequence, std::string_view number);
std::string buildVisibleListAdd(FlapSequence& sequence, std::string_view number);

// Server-stored list: 13,08 (add) and 13,0A (delete) of one buddy item.
constexpr std::uint16_t kServerListAdd = 0x08;
constexpr std::uint16_t kServerListDelete = 0x0A;
std::string buildServerListItem(FlapSequence& sequence, std::uint16_t subtype, std::string_view number);

// 01,1E with TLV 6, the 4-byte status.
std::string buildSetStatus(FlapSequence& sequence, std::uint32_t status);

// A type-1 message on channel 4 (04,06): the text and its NUL travel with
// an explicit length, so any bytes may be carried. TLV 6 asks the server
// to store the message while the peer is offline.
constexpr std::size_t kMaxMessageBytes = 8000;
std::string buildTextMessage(FlapSequence& sequence, std::uint32_t ownUin, std::string_view number,
    std::string_view text);

// The acknowledgement (04,0B) of a channel-2 message.
std::string buildMessageAck(FlapSequence& sequence, std::string_view cookie, std::string_view sender,
    std::uint16_t messageSequence, std::uint8_t type, std::uint8_t flags);

// Extension requests (15,02).
constexpr std::uint16_t kMetaOwnInfo = 0x04D0;
constexpr std::uint16_t kMetaUserInfo = 0x051F;
std::string buildInfoRequest(FlapSequence& sequence, std::uint32_t ownUin, std::uint16_t requestSequence,
    std::uint16_t subtype, std::uint32_t number);
std::string buildDeleteOfflineMessages(FlapSequence& sequence, std::uint32_t ownUin);

// 03,0B: a contact came online or changed its status.
struct OnlineNotice {
    std::string number;
    std::uint16_t status = 0;
    std::uint32_t externalIp = 0;
    std::uint32_t internalIp = 0;
    std::uint32_t port = 0;
    std::uint8_t connectionType = 0;
    std::uint16_t protocolVersion = 0;
    std::uint32_t cookie = 0;
};
// Numbers longer than kMaxNoticeDigits are ignored.
constexpr std::size_t kMaxNoticeDigits = 9;
std::optional<OnlineNotice> readOnlineNotice(std::string_view data);

// 03,0C: the contact's number.
std::optional<std::string> readOfflineNotice(std::string_view data);

// 04,07, or an offline message from the extension family.
struct IncomingMessage {
    std::string cookie; // 8 bytes.
    std::uint16_t channel = 0;
    std::string sender;
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    // The message bytes as sent (channel 4: including the closing NUL).
    std::string body;
    // The charset a channel-1 message names for its text; other messages
    // are in a local 8-bit code page.
    std::uint16_t charset = kCharsetLocal;
    std::optional<std::string> pluginName; // Channel-2 plugin messages.
    std::uint16_t sequence = 0; // Channel 2, for the acknowledgement.
};
constexpr std::uint8_t kPluginMessageType = 0x1A;
std::optional<IncomingMessage> readIncomingMessage(std::string_view data);

// The text of a message body: up to its first NUL.
std::string_view messageText(std::string_view body);

// 15,03: TLV 1 with the answer type and the rest of the answer.
struct MetaAnswer {
    std::uint16_t type = 0;
    std::uint16_t sequence = 0;
    std::string body; // After the sequence.
};
constexpr std::uint16_t kMetaOfflineMessage = 0x0041;
constexpr std::uint16_t kMetaEndOfOffline = 0x0042;
constexpr std::uint16_t kMetaInfoAnswer = 0x07DA;
std::optional<MetaAnswer> readMetaAnswer(std::string_view data);

// An offline message (answer 0x0041) as an incoming message of channel 4.
std::optional<IncomingMessage> readOfflineMessage(std::string_view body);

} // namespace pocket::icq
