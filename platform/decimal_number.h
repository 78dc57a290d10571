#pragma once

// File: platform/decimal_number.h
// Numbers written in decimal, the one place that reads them from text.
//
// parseDecimal: the whole text is the number ("42", "-7" for a signed type),
// nothing else: no blanks, no sign for an unsigned type, no trailing text.
// Empty text or a value outside the type's range gives nothing.
//
// leadingDecimal: the digits the text starts with, as atoi reads them
// ("12abc" gives 12); 0 when it starts with none or they overflow.
//
//     auto port = platform::parseDecimal<std::uint16_t>(text);

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>

namespace platform {

template <std::integral T> [[nodiscard]] std::optional<T> parseDecimal(std::string_view text)
{
    T value {};
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

template <std::integral T> [[nodiscard]] T leadingDecimal(std::string_view text)
{
    T value {};
    auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() ? value : T {};
}

} // namespace platform
