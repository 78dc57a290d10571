#pragma once

// File: pocket/ink/testing/sample_ink.h
// The sample ink message of the tests: one black line of thickness 3 from
// (10, 30) to (100, 200), and its 13 bytes on the wire and on disk.

#include "pocket/ink/ink_message.h"

#include <string_view>

namespace pocket::ink::testing {

// "e", "q", "y", (10, 30), (100, 200), "f", "g".
inline constexpr std::string_view kSampleInk { "\x65\x71\x79\x00\x0A\x00\x1E\x01\x00\x02\x00\x66\x67", 13 };

inline InkMessage sampleInkMessage()
{
    InkMessage message;
    message.append(InkToken::LineStart);
    message.append(InkToken::Thickness3);
    message.append(InkToken::Black);
    message.append(InkPoint { 10, 30 });
    message.append(InkPoint { 100, 200 });
    message.append(InkToken::LineEnd);
    return message;
}

} // namespace pocket::ink::testing
