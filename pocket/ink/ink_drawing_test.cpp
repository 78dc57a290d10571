#include "pocket/ink/ink_drawing.h"

#include "pocket/ink/ink_codec.h"
#include "pocket/ink/testing/recording_canvas.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace pocket::ink {
namespace {

using namespace std::string_view_literals;
using testing::clearCall;
using testing::lineCall;
using testing::RecordingCanvas;

constexpr Rgb kBlack { 0, 0, 0 };
constexpr Rgb kYellow { 255, 255, 0 };

InkMessage decoded(std::string_view bytes)
{
    auto message = decodeInk(bytes);
    EXPECT_TRUE(message);
    return message ? *message : InkMessage {};
}

TEST(InkDrawing, DrawsTheSampleAsOneBlackThreePixelLine)
{
    RecordingCanvas canvas;
    ASSERT_TRUE(drawInk(decoded("eqy\x00\x0A\x00\x1E\x01\x00\x02\x00" "fg"sv), canvas));
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0], lineCall({ 10, 30 }, { 100, 200 }, 3, kBlack));
}

TEST(InkDrawing, OutcomesTable)
{
    struct Case {
        std::string_view name;
        std::string_view bytes;
        std::optional<DrawError> error;
        std::size_t lines;
    };
    const Case cases[] = {
        { "g alone draws nothing", "g"sv, std::nullopt, 0 },
        { "one point draws nothing", "eqy\x00\x0A\x00\x1E" "fg"sv, std::nullopt, 0 },
        { "no points draws nothing", "eqyfg"sv, std::nullopt, 0 },
        { "three points, two lines", "eoy\x00\x0A\x00\x1E\x00\x0B\x00\x1E\x00\x0C\x00\x1E" "fg"sv, std::nullopt, 2 },
        { "two strokes", "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "feuz\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "fg"sv, std::nullopt, 2 },
        { "thickness byte y", "eyy\x00\x0A\x00\x1E" "fg"sv, DrawError::Thickness, 0 },
        { "colour 0x82", "eq\x82\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "fg"sv, DrawError::Colour, 0 },
        { "colour missing at end", "eqg"sv, DrawError::Colour, 0 },
        { "thickness missing at end", "eg"sv, DrawError::Thickness, 0 },
        { "point where e belongs", "\x00\x0A\x00\x1E" "g"sv, DrawError::LineStart, 0 },
        { "token where e belongs", "qg"sv, DrawError::LineStart, 0 },
        { "second stroke damaged", "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "fzg"sv, DrawError::LineStart, 1 },
        { "unclosed stroke before the next", "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "eqy\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "fg"sv, std::nullopt, 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas;
        auto result = drawInk(decoded(c.bytes), canvas);
        std::size_t lines = 0;
        for (const auto& call : canvas.calls)
            lines += call.kind == testing::CanvasCall::Kind::Line;
        EXPECT_EQ(lines, c.lines);
        if (!c.error) {
            EXPECT_TRUE(result);
            continue;
        }
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error(), *c.error);
        // Damage wipes whatever was drawn before it.
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls.back(), clearCall());
    }
}

TEST(InkDrawing, YellowIsColourByte0x81)
{
    RecordingCanvas canvas;
    ASSERT_TRUE(drawInk(decoded("es\x81\x00\x0A\x00\x1E\x00\x0B\x00\x1E" "fg"sv), canvas));
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0], lineCall({ 10, 30 }, { 11, 30 }, 5, kYellow));
}

TEST(InkDrawing, EveryTokenMapsToItsWidthOrColour)
{
    EXPECT_EQ(penWidth(InkToken::Thickness1), 1);
    EXPECT_EQ(penWidth(InkToken::Thickness7), 7);
    EXPECT_EQ(colourOf(InkToken::Silver), (Rgb { 192, 192, 192 }));
    EXPECT_EQ(colourOf(InkToken::Magenta), (Rgb { 255, 0, 255 }));
    EXPECT_EQ(colourOf(static_cast<InkToken>(0x82)), std::nullopt);
    EXPECT_FALSE(isThicknessToken(static_cast<InkToken>(0x70)));
}

TEST(InkDrawing, ErrorTexts)
{
    EXPECT_EQ(drawErrorText(DrawError::LineStart), "Line start data was damaged!!");
    EXPECT_EQ(drawErrorText(DrawError::Thickness), "Thickness data was damaged!");
    EXPECT_EQ(drawErrorText(DrawError::Colour), "Color data was damaged!");
}

// Many random byte strings: reading and drawing either succeed or give one
// of their own errors, and a damaged drawing always ends with a clear.
TEST(InkDrawing, RandomInputEitherDrawsOrReportsDamage)
{
    std::mt19937 random(11);
    const std::string alphabet = std::string("efgoqsuyz{|}~\x7F\x80\x81\x82\xC8") + std::string("\x00\x01\x02\x31\x63", 5);
    int drawn = 0;
    int damaged = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string input(random() % 48, '\0');
        for (auto& c : input)
            c = alphabet[random() % alphabet.size()];
        // Give most inputs a shape close to a stroke so drawing gets exercised.
        if (round % 2 == 0)
            input = "eqy" + input + "fg";
        auto message = decodeInk(input);
        if (!message)
            continue;
        RecordingCanvas canvas;
        auto result = drawInk(*message, canvas);
        if (result) {
            ++drawn;
            continue;
        }
        ++damaged;
        ASSERT_FALSE(canvas.calls.empty());
        ASSERT_EQ(canvas.calls.back(), clearCall());
        ASSERT_FALSE(drawErrorText(result.error()).empty());
    }
    EXPECT_GT(drawn, 100);
    EXPECT_GT(damaged, 100);
}

} // namespace
} // namespace pocket::ink
