#include "platform/port_number.h"

#include <charconv>

namespace platform {

std::optional<std::uint16_t> parsePortNumber(std::string_view text)
{
    // Five digits at most, so that a long run of zeros cannot hide a port.
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace platform
