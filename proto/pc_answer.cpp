#include "proto/pc_answer.h"

#include <algorithm>
#include <cstring>

namespace proto {

namespace {

void putLe32(char* out, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::int32_t getLe32(const char* in)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

} // namespace

AnswerRecord encodePcAnswer(const PcAnswer& answer)
{
    AnswerRecord record {};
    putLe32(record.data(), answer.first);
    putLe32(record.data() + 4, answer.code);
    std::size_t length = std::min(answer.text.size(), kAnswerTextBytes - 1);
    std::memcpy(record.data() + 8, answer.text.data(), length);
    // A text with a zero of its own ends there for every reader; the detail
    // then has nowhere to go.
    if (answer.text.find('\0') != std::string::npos)
        return record;
    std::size_t detail = std::min(answer.detail.size(), detailRoom(length));
    std::memcpy(record.data() + 8 + length + 1, answer.detail.data(), detail);
    return record;
}

std::size_t detailRoom(std::size_t textBytes)
{
    // Text, its zero, the detail and the detail's zero.
    return textBytes + 2 >= kAnswerTextBytes ? 0 : kAnswerTextBytes - textBytes - 2;
}

platform::Result<PcAnswer, AnswerError> decodePcAnswer(std::string_view record)
{
    if (record.size() < kAnswerBytes)
        return platform::unexpected(AnswerError::Incomplete);
    PcAnswer answer;
    answer.first = getLe32(record.data());
    answer.code = getLe32(record.data() + 4);
    std::string_view text = record.substr(8, kAnswerTextBytes);
    std::size_t end = text.find('\0');
    answer.text = std::string(text.substr(0, end));
    if (end != std::string_view::npos) {
        std::string_view rest = text.substr(end + 1);
        answer.detail = std::string(rest.substr(0, rest.find('\0')));
    }
    return answer;
}

std::optional<PcAnswer> AnswerSplitter::next()
{
    auto decoded = decodePcAnswer(m_buffer);
    if (!decoded)
        return std::nullopt;
    m_buffer.erase(0, kAnswerBytes);
    return std::move(decoded).value();
}

} // namespace proto
