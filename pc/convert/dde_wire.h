#pragma once

// File: pc/convert/dde_wire.h
// The frames of the local DDE stand-in. A conversation is a Unix-domain
// stream socket to the server's service socket; the client opens it with
// Connect (the topic) and then sends transactions (Execute, Request, Poke),
// each answered by a Reply with the same transaction number. Pure codec:
// encodeDdeFrame() builds a frame, DdeFrameSplitter takes bytes as they
// arrive and hands out whole frames.
//
// Frame: u32 length of what follows (little-endian), u8 type, u32
// transaction, u32 format, u8 flag, then two byte strings each as u32
// length and bytes: `name` (topic or item) and `data`.

#include "platform/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pc::convert {

enum class DdeFrameType : std::uint8_t {
    Connect = 1, // name = topic. Reply flag 1: accepted.
    Execute = 2, // data = command (with its terminating zero).
    Request = 3, // name = item, format. Reply data = the item's data.
    Poke = 4, // name = item, format, data.
    Reply = 5, // flag 1: acknowledged; data for a request.
    Disconnect = 6,
};

// The clipboard format of text, as DDE numbers it.
constexpr std::uint32_t kDdeTextFormat = 1;

// Frames larger than this are refused: a page of document information or a
// macro command is far smaller.
constexpr std::size_t kMaxDdeFrameBytes = 1 << 20;

struct DdeFrame {
    DdeFrameType type = DdeFrameType::Reply;
    std::uint32_t transaction = 0;
    std::uint32_t format = 0;
    bool flag = false;
    std::string name;
    std::string data;
    bool operator==(const DdeFrame&) const = default;
};

enum class DdeWireError {
    TooLarge,
    Malformed,
};

std::string encodeDdeFrame(const DdeFrame& frame);

class DdeFrameSplitter {
public:
    void feed(std::string_view bytes) { m_buffer.append(bytes); }
    // The next whole frame, nullopt while one is incomplete, or an error
    // after which the stream cannot be trusted.
    platform::Result<std::optional<DdeFrame>, DdeWireError> next();

private:
    std::string m_buffer;
};

} // namespace pc::convert
