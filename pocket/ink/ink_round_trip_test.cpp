// Random drawing sessions: what the recorder drew live must be exactly what
// a reader of the written file draws.

#include "pocket/ink/ink_codec.h"
#include "pocket/ink/ink_drawing.h"
#include "pocket/ink/ink_recorder.h"
#include "pocket/ink/testing/recording_canvas.h"

#include <gtest/gtest.h>

#include <random>

namespace pocket::ink {
namespace {

using testing::CanvasCall;
using testing::lineCall;

class Session {
public:
    explicit Session(unsigned seed)
        : m_random(seed)
    {
    }

    // Mostly inside the drawing bounds, sometimes just outside them.
    int coordinate(int low, int high)
    {
        std::uniform_int_distribution<int> pick(low - 8, high + 8);
        return pick(m_random);
    }

    void run(InkRecorder& recorder, std::vector<CanvasCall>& live)
    {
        const int strokes = static_cast<int>(m_random() % 12);
        for (int s = 0; s < strokes; ++s) {
            if (m_random() % 3 == 0)
                recorder.chooseColour(kColourPalette[m_random() % kColourPalette.size()].token);
            if (m_random() % 3 == 0)
                recorder.chooseThickness(kThicknessPalette[m_random() % kThicknessPalette.size()].token);
            feed(recorder, live, PenAction::Down);
            const int moves = static_cast<int>(m_random() % 30);
            for (int m = 0; m < moves; ++m)
                feed(recorder, live, PenAction::Move);
            // Some strokes end without a pen-up (the session stops drawing).
            if (m_random() % 5 != 0)
                feed(recorder, live, PenAction::Up);
        }
    }

private:
    void feed(InkRecorder& recorder, std::vector<CanvasCall>& live, PenAction action)
    {
        const auto outcome = recorder.handle({ action, coordinate(5, 235), coordinate(25, 235) });
        if (outcome.line)
            live.push_back(lineCall(outcome.line->from, outcome.line->to, outcome.line->width, outcome.line->colour));
    }

    std::mt19937 m_random;
};

TEST(InkRoundTrip, WrittenFilesDrawWhatWasDrawnLive)
{
    for (unsigned seed = 1; seed <= 500; ++seed) {
        SCOPED_TRACE(seed);
        InkRecorder recorder;
        std::vector<CanvasCall> live;
        Session(seed).run(recorder, live);

        auto read = decodeInk(encodeInk(recorder.message()));
        ASSERT_TRUE(read);
        if (!recorder.isDrawing()) {
            EXPECT_EQ(*read, recorder.message());
        }

        testing::RecordingCanvas canvas;
        ASSERT_TRUE(drawInk(*read, canvas));
        ASSERT_EQ(canvas.calls.size(), live.size());
        for (std::size_t i = 0; i < live.size(); ++i)
            ASSERT_EQ(canvas.calls[i], live[i]) << "line " << i;
    }
}

} // namespace
} // namespace pocket::ink
