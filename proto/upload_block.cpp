#include "proto/upload_block.h"

#include "platform/decimal_number.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace proto {

UploadOutcome classifyUploadBlock(std::string_view block)
{
    std::string_view text = block.substr(0, block.find('\0'));
    // Only zero padding may follow the marker text.
    bool paddedOnly = std::all_of(block.begin() + static_cast<std::ptrdiff_t>(text.size()), block.end(),
        [](char c) { return c == '\0'; });
    if (!paddedOnly)
        return UploadOutcome::Data;
    if (text == kMarkerComplete)
        return UploadOutcome::Complete;
    if (text == kMarkerCancel)
        return UploadOutcome::Cancel;
    if (text == kMarkerError)
        return UploadOutcome::Error;
    return UploadOutcome::Data;
}

UploadBlock makeUploadBlock(std::string_view received)
{
    UploadBlock block;
    received = received.substr(0, kUploadBlockBytes);
    std::memcpy(block.buffer.data(), received.data(), received.size());
    block.count = static_cast<std::int32_t>(received.size());
    block.outcome = classifyUploadBlock(received);
    return block;
}

UploadAck formatUploadAck(std::int32_t receivedTotal)
{
    UploadAck ack {};
    std::snprintf(ack.data(), ack.size(), "0xx0: %d 0xx1: %d", static_cast<int>(UploadOutcome::Data),
        receivedTotal);
    return ack;
}

std::optional<std::int32_t> parseUploadAck(std::string_view block)
{
    std::string_view text = block.substr(0, block.find('\0'));
    constexpr std::string_view prefix = "0xx0: 1001 0xx1: ";
    if (text.substr(0, prefix.size()) != prefix)
        return std::nullopt;
    text.remove_prefix(prefix.size());
    return platform::parseDecimal<std::int32_t>(text);
}

UploadAnnouncement parseUploadAnnouncement(std::string_view text)
{
    UploadAnnouncement announcement;
    std::size_t first = text.find('\n');
    std::string number(text.substr(0, std::min<std::size_t>(first, 32)));
    long long value = std::strtoll(number.c_str(), nullptr, 10);
    announcement.size = static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
    std::string_view rest = first == std::string_view::npos ? std::string_view() : text.substr(first + 1);
    announcement.name = std::string(rest.substr(0, rest.find('\n')));
    return announcement;
}

} // namespace proto
