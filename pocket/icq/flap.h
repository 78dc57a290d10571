#pragma once

// File: pocket/icq/flap.h
// The OSCAR wire layer of the ICQ session: FLAP frames (start byte 0x2A,
// channel, 16-bit sequence number, 16-bit data length, data), SNAC headers
// (family, subtype, flags, request id) and TLVs (16-bit type, 16-bit length,
// value). Multi-byte numbers are big-endian unless a field says otherwise;
// the ICQ extension family carries little-endian fields inside its TLVs.
// Pure codecs: nothing here touches a socket.
//
//     FlapWriter frame(kChannelSnac, sequence.next());
//     frame.snac(0x01, 0x06);
//     link.send(frame.finish());

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq {

constexpr std::uint8_t kFlapStart = 0x2A;
constexpr std::size_t kFlapHeaderBytes = 6;
constexpr std::size_t kSnacHeaderBytes = 10;

// FLAP channels.
constexpr std::uint8_t kChannelSignOn = 1;
constexpr std::uint8_t kChannelSnac = 2;
constexpr std::uint8_t kChannelError = 3;
constexpr std::uint8_t kChannelSignOff = 4;
constexpr std::uint8_t kChannelKeepAlive = 5;

struct SnacHeader {
    std::uint16_t family = 0;
    std::uint16_t subtype = 0;
    std::uint16_t flags = 0;
    std::uint32_t requestId = 0;
};

struct Tlv {
    std::uint16_t type = 0;
    std::string value;
};

// Builds one or more FLAP frames in one buffer, so that several frames can
// go out in one send. Each frame's length field is filled in when the next
// frame starts or when the buffer is finished.
class FlapWriter {
public:
    FlapWriter(std::uint8_t channel, std::uint16_t sequence);

    // Ends the current frame and starts another in the same buffer.
    FlapWriter& nextFrame(std::uint8_t channel, std::uint16_t sequence);

    FlapWriter& byte(std::uint8_t value);
    FlapWriter& u16(std::uint16_t value);
    FlapWriter& u32(std::uint32_t value);
    FlapWriter& u16le(std::uint16_t value);
    FlapWriter& u32le(std::uint32_t value);
    FlapWriter& raw(std::string_view bytes);
    FlapWriter& zeros(std::size_t count);
    FlapWriter& tlv(std::uint16_t type, std::string_view value);
    FlapWriter& tlv16(std::uint16_t type, std::uint16_t value);
    FlapWriter& tlv32(std::uint16_t type, std::uint32_t value);
    // A SNAC header with flags 0; without a request id the subtype is used.
    FlapWriter& snac(std::uint16_t family, std::uint16_t subtype, std::optional<std::uint32_t> requestId = {});

    // The bytes after the current frame's header so far.
    std::size_t frameDataSize() const { return m_buffer.size() - m_frameStart - kFlapHeaderBytes; }
    std::string finish();

private:
    void closeFrame();

    std::string m_buffer;
    std::size_t m_frameStart = 0;
};

// Big-endian and little-endian numbers as byte strings, for TLV values.
std::string bigEndian16(std::uint16_t value);
std::string bigEndian32(std::uint32_t value);

// Reads fields from a received buffer. A read past the end fails (returns
// nothing) and leaves the reader exhausted, so that a short frame from the
// network can never make the session read outside the buffer.
class ByteReader {
public:
    explicit ByteReader(std::string_view data)
        : m_data(data)
    {
    }
    // The reader keeps a view: a temporary string would vanish under it.
    explicit ByteReader(std::string&&) = delete;

    std::optional<std::uint8_t> byte();
    std::optional<std::uint16_t> u16();
    std::optional<std::uint32_t> u32();
    std::optional<std::uint16_t> u16le();
    std::optional<std::uint32_t> u32le();
    std::optional<std::string_view> raw(std::size_t count);
    std::optional<Tlv> tlv();
    // A text of the extension family: 16-bit LE length, then the bytes,
    // whose terminating NUL (if any) is dropped.
    std::optional<std::string> lengthText16le();
    // A text behind a one-byte length (screen names).
    std::optional<std::string> lengthText8();
    bool skip(std::size_t count);

    std::size_t remaining() const { return m_data.size() - m_offset; }
    std::string_view rest() const { return m_data.substr(m_offset); }
    bool failed() const { return m_failed; }

private:
    bool has(std::size_t count);

    std::string_view m_data;
    std::size_t m_offset = 0;
    bool m_failed = false;
};

std::optional<SnacHeader> readSnacHeader(ByteReader& reader);

// The TLVs of a block, read until the block ends (a truncated last TLV is
// dropped) or `limit` TLVs have been read.
std::vector<Tlv> readTlvs(ByteReader& reader, std::size_t limit = SIZE_MAX);
const Tlv* findTlv(const std::vector<Tlv>& tlvs, std::uint16_t type);

} // namespace pocket::icq
