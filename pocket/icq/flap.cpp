#include "pocket/icq/flap.h"

namespace pocket::icq {

FlapWriter::FlapWriter(std::uint8_t channel, std::uint16_t sequence)
{
    m_buffer.reserve(64);
    nextFrame(channel, sequence);
}

FlapWriter& FlapWriter::nextFrame(std::uint8_t channel, std::uint16_t sequence)
{
    if (!m_buffer.empty())
        closeFrame();
    m_frameStart = m_buffer.size();
    byte(kFlapStart);
    byte(channel);
    u16(sequence);
    u16(0); // Filled in by closeFrame().
    return *this;
}

void FlapWriter::closeFrame()
{
    const auto length = static_cast<std::uint16_t>(frameDataSize());
    m_buffer[m_frameStart + 4] = static_cast<char>(length >> 8);
    m_buffer[m_frameStart + 5] = static_cast<char>(length & 0xFF);
}

std::string FlapWriter::finish()
{
    closeFrame();
    return std::move(m_buffer);
}

FlapWriter& FlapWriter::byte(std::uint8_t value)
{
    m_buffer.push_back(static_cast<char>(value));
    return *this;
}

FlapWriter& FlapWriter::u16(std::uint16_t value)
{
    return byte(value >> 8).byte(value & 0xFF);
}

FlapWriter& FlapWriter::u32(std::uint32_t value)
{
    return u16(value >> 16).u16(value & 0xFFFF);
}

FlapWriter& FlapWriter::u16le(std::uint16_t value)
{
    return byte(value & 0xFF).byte(value >> 8);
}

FlapWriter& FlapWriter::u32le(std::uint32_t value)
{
    return u16le(value & 0xFFFF).u16le(value >> 16);
}

FlapWriter& FlapWriter::raw(std::string_view bytes)
{
    m_buffer.append(bytes);
    return *this;
}

FlapWriter& FlapWriter::zeros(std::size_t count)
{
    m_buffer.append(count, '\0');
    return *this;
}

FlapWriter& FlapWriter::tlv(std::uint16_t type, std::string_view value)
{
    return u16(type).u16(static_cast<std::uint16_t>(value.size())).raw(value);
}

FlapWriter& FlapWriter::tlv16(std::uint16_t type, std::uint16_t value)
{
    return u16(type).u16(2).u16(value);
}

FlapWriter& FlapWriter::tlv32(std::uint16_t type, std::uint32_t value)
{
    return u16(type).u16(4).u32(value);
}

FlapWriter& FlapWriter::snac(std::uint16_t family, std::uint16_t subtype, std::optional<std::uint32_t> requestId)
{
    return u16(family).u16(subtype).u16(0).u32(requestId.value_or(subtype));
}

std::string bigEndian16(std::uint16_t value)
{
    return { static_cast<char>(value >> 8), static_cast<char>(value & 0xFF) };
}

std::string bigEndian32(std::uint32_t value)
{
    return bigEndian16(value >> 16) + bigEndian16(value & 0xFFFF);
}

bool ByteReader::has(std::size_t count)
{
    if (m_failed || remaining() < count) {
        m_failed = true;
        m_offset = m_data.size();
        return false;
    }
    return true;
}

std::optional<std::uint8_t> ByteReader::byte()
{
    if (!has(1))
        return std::nullopt;
    return static_cast<std::uint8_t>(m_data[m_offset++]);
}

std::optional<std::uint16_t> ByteReader::u16()
{
    if (!has(2))
        return std::nullopt;
    const auto high = static_cast<std::uint8_t>(m_data[m_offset]);
    const auto low = static_cast<std::uint8_t>(m_data[m_offset + 1]);
    m_offset += 2;
    return static_cast<std::uint16_t>(high << 8 | low);
}

std::optional<std::uint32_t> ByteReader::u32()
{
    if (!has(4))
        return std::nullopt;
    const std::uint32_t high = *u16();
    return high << 16 | *u16();
}

std::optional<std::uint16_t> ByteReader::u16le()
{
    auto value = u16();
    if (!value)
        return std::nullopt;
    return static_cast<std::uint16_t>((*value >> 8) | (*value << 8));
}

std::optional<std::uint32_t> ByteReader::u32le()
{
    if (!has(4))
        return std::nullopt;
    const std::uint32_t low = *u16le();
    return static_cast<std::uint32_t>(*u16le()) << 16 | low;
}

std::optional<std::string_view> ByteReader::raw(std::size_t count)
{
    if (!has(count))
        return std::nullopt;
    auto bytes = m_data.substr(m_offset, count);
    m_offset += count;
    return bytes;
}

bool ByteReader::skip(std::size_t count)
{
    return raw(count).has_value();
}

std::optional<Tlv> ByteReader::tlv()
{
    auto type = u16();
    auto length = u16();
    if (!type || !length)
        return std::nullopt;
    auto value = raw(*length);
    if (!value)
        return std::nullopt;
    return Tlv { *type, std::string(*value) };
}

std::optional<std::string> ByteReader::lengthText16le()
{
    auto length = u16le();
    if (!length)
        return std::nullopt;
    auto bytes = raw(*length);
    if (!bytes)
        return std::nullopt;
    std::string text(*bytes);
    if (auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    return text;
}

std::optional<std::string> ByteReader::lengthText8()
{
    auto length = byte();
    if (!length)
        return std::nullopt;
    auto bytes = raw(*length);
    if (!bytes)
        return std::nullopt;
    return std::string(*bytes);
}

std::optional<SnacHeader> readSnacHeader(ByteReader& reader)
{
    auto family = reader.u16();
    auto subtype = reader.u16();
    auto flags = reader.u16();
    auto requestId = reader.u32();
    if (!requestId)
        return std::nullopt;
    return SnacHeader { *family, *subtype, *flags, *requestId };
}

std::vector<Tlv> readTlvs(ByteReader& reader, std::size_t limit)
{
    std::vector<Tlv> tlvs;
    while (tlvs.size() < limit && reader.remaining() > 0) {
        auto tlv = reader.tlv();
        if (!tlv)
            break;
        tlvs.push_back(std::move(*tlv));
    }
    return tlvs;
}

const Tlv* findTlv(const std::vector<Tlv>& tlvs, std::uint16_t type)
{
    for (const auto& tlv : tlvs) {
        if (tlv.type == type)
            return &tlv;
    }
    return nullptr;
}

} // namespace pocket::icq
