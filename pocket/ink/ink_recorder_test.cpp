#include "pocket/ink/ink_recorder.h"

#include "pocket/ink/ink_codec.h"

#include <gtest/gtest.h>

#include <vector>

namespace pocket::ink {
namespace {

using namespace std::string_view_literals;

PenEvent down(int x, int y) { return { PenAction::Down, x, y }; }
PenEvent move(int x, int y) { return { PenAction::Move, x, y }; }
PenEvent up(int x, int y) { return { PenAction::Up, x, y }; }

std::string recordAndWrite(const std::vector<PenEvent>& events)
{
    InkRecorder recorder;
    for (const auto& event : events)
        (void)recorder.handle(event);
    return encodeInk(recorder.message());
}

TEST(InkRecorder, RecordsTheSampleStroke)
{
    EXPECT_EQ(recordAndWrite({ down(10, 30), move(100, 200), up(100, 200) }),
        "eqy\x00\x0A\x00\x1E\x01\x00\x02\x00" "fg"sv);
}

TEST(InkRecorder, KeepsToTheDrawingBounds)
{
    struct Case {
        std::string_view name;
        std::vector<PenEvent> events;
        std::string_view written;
    };
    const Case cases[] = {
        { "pen down at x = 236 is ignored", { down(236, 100), up(236, 100) }, "g"sv },
        { "pen down at y = 24 is ignored", { down(100, 24), up(100, 24) }, "g"sv },
        { "pen down at x = 4 is ignored", { down(4, 100), up(4, 100) }, "g"sv },
        { "corners 5,25 and 235,235 are inside", { down(5, 25), move(235, 235), up(235, 235) },
            "eqy\x00\x05\x00\x19\x02\x23\x02\x23" "fg"sv },
        { "moving to x = 236 ends the stroke", { down(10, 30), move(236, 30), move(20, 30), up(20, 30) },
            "eqy\x00\x0A\x00\x1E" "fg"sv },
        { "moving to y = 24 ends the stroke", { down(10, 30), move(11, 31), move(11, 24), up(11, 24) },
            "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1F" "fg"sv },
        { "moves without pen down are ignored", { move(10, 30), move(20, 30) }, "g"sv },
        { "pen up outside still closes the stroke", { down(10, 30), move(11, 30), up(240, 300), down(12, 30), up(12, 30) },
            "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "feqy\x00\x0C\x00\x1E" "fg"sv },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(recordAndWrite(c.events), c.written);
    }
}

TEST(InkRecorder, ReportsLiveSegmentsWithThePen)
{
    InkRecorder recorder;
    recorder.chooseThickness(InkToken::Thickness7);
    recorder.chooseColour(InkToken::Green);
    EXPECT_FALSE(recorder.handle(down(10, 30)).line);
    auto outcome = recorder.handle(move(12, 33));
    ASSERT_TRUE(outcome.line);
    EXPECT_EQ(outcome.line->from, (InkPoint { 10, 30 }));
    EXPECT_EQ(outcome.line->to, (InkPoint { 12, 33 }));
    EXPECT_EQ(outcome.line->width, 7);
    EXPECT_EQ(outcome.line->colour, (Rgb { 0, 255, 0 }));
    EXPECT_EQ(encodeInk(recorder.message()).substr(0, 3), "eu}");

    // A choice made while the pen is down applies from the next stroke on.
    recorder.chooseThickness(InkToken::Thickness1);
    recorder.chooseColour(InkToken::Red);
    outcome = recorder.handle(move(14, 35));
    ASSERT_TRUE(outcome.line);
    EXPECT_EQ(outcome.line->width, 7);
    EXPECT_EQ(outcome.line->colour, (Rgb { 0, 255, 0 }));
}

TEST(InkRecorder, OpensPalettesFromTheToolbarRowOnce)
{
    InkRecorder recorder;
    EXPECT_EQ(recorder.handle(up(132, 256)).openPalette, Palette::Colour);
    EXPECT_EQ(recorder.handle(up(140, 270)).openPalette, std::nullopt); // Already open.
    EXPECT_EQ(recorder.handle(up(159, 274)).openPalette, Palette::Thickness);
    EXPECT_EQ(recorder.handle(up(151, 260)).openPalette, std::nullopt); // Between the buttons.
    EXPECT_EQ(recorder.handle(up(140, 255)).openPalette, std::nullopt); // Above the row.
    EXPECT_EQ(recorder.handle(up(140, 275)).openPalette, std::nullopt); // Below the row.

    recorder.chooseColour(InkToken::Silver);
    EXPECT_FALSE(recorder.isPaletteOpen(Palette::Colour));
    EXPECT_EQ(recorder.colour(), InkToken::Silver);
    recorder.closePalette(Palette::Thickness);
    EXPECT_EQ(recorder.thickness(), InkToken::Thickness3);
    EXPECT_EQ(recorder.handle(up(177, 256)).openPalette, Palette::Thickness);
}

TEST(InkRecorder, RefusesTokensOfTheWrongKind)
{
    InkRecorder recorder;
    recorder.chooseColour(InkToken::Thickness5);
    recorder.chooseThickness(InkToken::Red);
    EXPECT_EQ(recorder.colour(), InkToken::Black);
    EXPECT_EQ(recorder.thickness(), InkToken::Thickness3);
}

TEST(InkRecorder, PaletteButtonsAndToolbarLook)
{
    const InkToken colours[] = { InkToken::Red, InkToken::Blue, InkToken::Green, InkToken::Cyan,
        InkToken::Magenta, InkToken::Yellow, InkToken::Black, InkToken::White, InkToken::Silver };
    for (std::size_t i = 0; i < kColourPalette.size(); ++i)
        EXPECT_EQ(kColourPalette[i].token, colours[i]);
    EXPECT_EQ(kThicknessPalette[3].label, "7 Pt");
    EXPECT_EQ(kThicknessPalette[3].token, InkToken::Thickness7);

    const auto look = toolbarLook(InkToken::Red, InkToken::Thickness5);
    EXPECT_EQ(look.colourSwatch, (Rect { 131, 255, 151, 275 }));
    EXPECT_EQ(look.colour, (Rgb { 255, 0, 0 }));
    EXPECT_EQ(look.thicknessBox, (Rect { 158, 255, 178, 275 }));
    EXPECT_EQ(look.thicknessBar.bottom - look.thicknessBar.top, 5);
    EXPECT_EQ(look.thicknessBar.top + look.thicknessBar.bottom, 2 * 265 + 1);
}

} // namespace
} // namespace pocket::ink
