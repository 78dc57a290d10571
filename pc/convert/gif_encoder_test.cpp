#include "pc/convert/gif_encoder.h"

#include <gtest/gtest.h>

#include <optional>

namespace pc::convert {
namespace {

// A GIF reader written from the GIF89a text, for the encoder's output only:
// one global palette of 256 colours and one image.
struct DecodedGif {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
};

std::optional<DecodedGif> decodeGif(const std::string& gif)
{
    auto u8 = [&](std::size_t at) { return static_cast<std::uint8_t>(gif.at(at)); };
    auto u16 = [&](std::size_t at) { return u8(at) | (u8(at + 1) << 8); };
    if (gif.substr(0, 6) != "GIF89a" || u8(10) != 0xF7)
        return std::nullopt;
    std::size_t at = 13 + 768;
    if (gif.at(at) != ',')
        return std::nullopt;
    DecodedGif out;
    out.width = u16(at + 5);
    out.height = u16(at + 7);
    at += 10;
    int minCodeSize = u8(at++);
    std::string data;
    while (std::size_t size = u8(at++)) {
        data += gif.substr(at, size);
        at += size;
    }
    if (gif.at(at) != ';')
        return std::nullopt;

    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> table;
    auto reset = [&] {
        table.assign(clear + 2, {});
        for (int i = 0; i < clear; ++i)
            table[i] = { static_cast<std::uint8_t>(i) };
    };
    reset();
    int width = minCodeSize + 1;
    std::size_t bit = 0;
    int previous = -1;
    while (true) {
        if ((bit + width + 7) / 8 > data.size())
            return std::nullopt;
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= ((static_cast<std::uint8_t>(data[bit / 8]) >> (bit % 8)) & 1) << i;
        if (code == clear) {
            reset();
            width = minCodeSize + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            break;
        std::vector<std::uint8_t> entry;
        if (code < static_cast<int>(table.size()))
            entry = table[code];
        else if (code == static_cast<int>(table.size()) && previous >= 0)
            entry = table[previous], entry.push_back(table[previous][0]);
        else
            return std::nullopt;
        if (previous >= 0 && table.size() < 4096) {
            auto added = table[previous];
            added.push_back(entry[0]);
            table.push_back(added);
        }
        if (static_cast<int>(table.size()) == (1 << width) && width < 12)
            ++width;
        out.indices.insert(out.indices.end(), entry.begin(), entry.end());
        previous = code;
    }
    return out;
}

RgbImage makeImage(int width, int height, auto colour)
{
    RgbImage image { width, height, {} };
    image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto [r, g, b] = colour(x, y);
            image.pixels.push_back(std::uint8_t(r));
            image.pixels.push_back(std::uint8_t(g));
            image.pixels.push_back(std::uint8_t(b));
        }
    }
    return image;
}

TEST(GifEncoder, DecodesToThePaletteIndicesOfEveryPixel)
{
    struct Case {
        const char* name;
        RgbImage image;
    } cases[] = {
        { "one pixel", makeImage(1, 1, [](int, int) { return std::tuple(255, 0, 0); }) },
        { "white page", makeImage(300, 400, [](int, int) { return std::tuple(255, 255, 255); }) },
        // Many distinct runs fill the string table and force clear codes.
        { "noise",
            makeImage(257, 199,
                [](int x, int y) {
                    unsigned v = (x * 7919u + y * 104729u) * 2654435761u;
                    return std::tuple(int(v >> 24), int((v >> 16) & 255), int((v >> 8) & 255));
                }) },
        { "greys", makeImage(256, 3, [](int x, int) { return std::tuple(x, x, x); }) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoded = decodeGif(encodeGif(c.image));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->width, c.image.width);
        EXPECT_EQ(decoded->height, c.image.height);
        std::vector<std::uint8_t> expected;
        for (std::size_t i = 0; i < c.image.pixels.size(); i += 3)
            expected.push_back(paletteIndex(c.image.pixels[i], c.image.pixels[i + 1], c.image.pixels[i + 2]));
        EXPECT_EQ(decoded->indices, expected);
    }
    EXPECT_EQ(encodeGif(RgbImage {}), "");
}

TEST(GifEncoder, PaletteKeepsGreysAndPrimaries)
{
    const auto& palette = gifPalette();
    ASSERT_EQ(palette.size(), 768u);
    struct Case {
        int r, g, b;
    } cases[] = { { 0, 0, 0 }, { 255, 255, 255 }, { 255, 0, 0 }, { 0, 0, 255 }, { 128, 128, 128 },
        { 200, 40, 90 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
        int index = paletteIndex(c.r, c.g, c.b);
        EXPECT_LE(std::abs(palette[3 * index] - c.r), 26);
        EXPECT_LE(std::abs(palette[3 * index + 1] - c.g), 26);
        EXPECT_LE(std::abs(palette[3 * index + 2] - c.b), 26);
    }
}

TEST(PpmReader, ReadsPdftoppmOutputAndRefusesDamage)
{
    std::string pixels = "\x01\x02\x03\x04\x05\x06";
    auto image = parsePpm("P6\n2 1\n255\n" + pixels);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->pixels, std::vector<std::uint8_t>({ 1, 2, 3, 4, 5, 6 }));
    EXPECT_TRUE(parsePpm("P6 # made by a test\n2 1 255\n" + pixels));

    struct Case {
        const char* name;
        std::string bytes;
        ImageError error;
    } cases[] = {
        { "text PPM", "P3\n2 1\n255\n", ImageError::Malformed },
        { "short pixels", "P6\n2 1\n255\n" + pixels.substr(1), ImageError::Malformed },
        { "16-bit", "P6\n2 1\n65535\n" + pixels + pixels, ImageError::Malformed },
        { "zero width", "P6\n0 1\n255\n", ImageError::Malformed },
        { "huge", "P6\n99999 1\n255\n", ImageError::TooLarge },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto result = parsePpm(c.bytes);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error(), c.error);
    }
}

} // namespace
} // namespace pc::convert
