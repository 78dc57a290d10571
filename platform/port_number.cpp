#include "platform/port_number.h"

#include "platform/decimal_number.h"

namespace platform {

std::optional<std::uint16_t> parsePortNumber(std::string_view text)
{
    // Five digits at most, so that a long run of zeros cannot hide a port.
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    auto value = parseDecimal<std::uint16_t>(text);
    if (!value || *value == 0)
        return std::nullopt;
    return value;
}

} // namespace platform
