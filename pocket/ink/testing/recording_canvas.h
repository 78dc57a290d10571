#pragma once

// File: pocket/ink/testing/recording_canvas.h
// An InkCanvas for tests that records every call in order.

#include "pocket/ink/ink_canvas.h"

#include <ostream>
#include <vector>

namespace pocket::ink::testing {

struct CanvasCall {
    enum class Kind { Line, Clear } kind = Kind::Line;
    InkPoint from;
    InkPoint to;
    int width = 0;
    Rgb colour;
    friend bool operator==(const CanvasCall&, const CanvasCall&) = default;
};

// Readable failure output in tests.
inline void PrintTo(const CanvasCall& call, std::ostream* out)
{
    if (call.kind == CanvasCall::Kind::Clear) {
        *out << "clear";
        return;
    }
    *out << "line (" << call.from.x << "," << call.from.y << ")-(" << call.to.x << "," << call.to.y << ") w"
         << call.width << " rgb(" << int(call.colour.red) << "," << int(call.colour.green) << ","
         << int(call.colour.blue) << ")";
}

inline CanvasCall lineCall(InkPoint from, InkPoint to, int width, Rgb colour)
{
    return CanvasCall { CanvasCall::Kind::Line, from, to, width, colour };
}

inline CanvasCall clearCall()
{
    return CanvasCall { CanvasCall::Kind::Clear, {}, {}, 0, {} };
}

class RecordingCanvas final : public InkCanvas {
public:
    void drawLine(InkPoint from, InkPoint to, int width, Rgb colour) override
    {
        calls.push_back(lineCall(from, to, width, colour));
    }
    void clear() override { calls.push_back(clearCall()); }

    std::vector<CanvasCall> calls;
};

} // namespace pocket::ink::testing
