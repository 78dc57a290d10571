#include "pc/convert/gif_encoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pc::convert {

namespace {

constexpr int kMaxSide = 16384;
constexpr int kCubeLevels = 6;
constexpr int kCubeSize = kCubeLevels * kCubeLevels * kCubeLevels; // 216
constexpr int kGreys = 256 - kCubeSize; // 40
constexpr int kGreyTolerance = 24; // Channels this close count as grey.

// LZW as GIF uses it (GIF89a, appendix F): 8-bit pixels, codes from 9 up to
// 12 bits, a clear code when the table is full.
constexpr int kMinCodeSize = 8;
constexpr int kClearCode = 1 << kMinCodeSize;
constexpr int kEndCode = kClearCode + 1;
constexpr int kMaxCodes = 4096;

class BitWriter {
public:
    void write(int code, int width)
    {
        m_bits |= static_cast<std::uint32_t>(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            push(static_cast<char>(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    // Flushes the last bits and closes the data with an empty sub-block.
    std::string finish()
    {
        if (m_count > 0)
            push(static_cast<char>(m_bits & 0xFF));
        if (!m_block.empty())
            flushBlock();
        m_out.push_back('\0');
        return std::move(m_out);
    }

private:
    void push(char byte)
    {
        m_block.push_back(byte);
        if (m_block.size() == 255)
            flushBlock();
    }
    void flushBlock()
    {
        m_out.push_back(static_cast<char>(m_block.size()));
        m_out += m_block;
        m_block.clear();
    }
    std::uint32_t m_bits = 0;
    int m_count = 0;
    std::string m_block;
    std::string m_out;
};

// The string table as a tree: each code's children are found through a
// first-child / next-sibling list keyed by their last byte.
class LzwTable {
public:
    LzwTable() { reset(); }
    void reset()
    {
        m_firstChild.assign(kMaxCodes, -1);
        m_nextSibling.assign(kMaxCodes, -1);
        m_next = kEndCode + 1;
    }
    int find(int prefix, std::uint8_t byte) const
    {
        for (int child = m_firstChild[prefix]; child >= 0; child = m_nextSibling[child]) {
            if (m_suffix[child] == byte)
                return child;
        }
        return -1;
    }
    // Adds prefix + byte; false when the table is full.
    bool add(int prefix, std::uint8_t byte)
    {
        if (m_next >= kMaxCodes)
            return false;
        m_suffix[m_next] = byte;
        m_nextSibling[m_next] = m_firstChild[prefix];
        m_firstChild[prefix] = m_next;
        ++m_next;
        return true;
    }
    int next() const { return m_next; }

private:
    std::vector<int> m_firstChild;
    std::vector<int> m_nextSibling;
    std::array<std::uint8_t, kMaxCodes> m_suffix {};
    int m_next = 0;
};

int widthFor(int nextCode)
{
    int width = kMinCodeSize + 1;
    while ((1 << width) < nextCode && width < 12)
        ++width;
    return width;
}

std::string compress(const std::vector<std::uint8_t>& indices)
{
    BitWriter writer;
    LzwTable table;
    writer.write(kClearCode, kMinCodeSize + 1);
    int current = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
        std::uint8_t byte = indices[i];
        int found = table.find(current, byte);
        if (found >= 0) {
            current = found;
            continue;
        }
        // The decoder's table is one entry behind, so the width follows the
        // code about to be added.
        writer.write(current, widthFor(table.next()));
        if (!table.add(current, byte)) {
            writer.write(kClearCode, 12);
            table.reset();
        }
        current = byte;
    }
    writer.write(current, widthFor(table.next()));
    writer.write(kEndCode, widthFor(table.next() + 1));
    return writer.finish();
}

void putU16(std::string& out, int value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

std::uint8_t greyLevel(int index)
{
    return static_cast<std::uint8_t>((index * 255 + (kGreys - 1) / 2) / (kGreys - 1));
}

// Skips blanks and comments of a PPM header, then reads a number.
bool readNumber(std::string_view bytes, std::size_t& at, int& value)
{
    while (at < bytes.size()) {
        char c = bytes[at];
        if (c == '#') {
            while (at < bytes.size() && bytes[at] != '\n')
                ++at;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
        } else {
            break;
        }
    }
    value = 0;
    std::size_t start = at;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && value <= 1000000)
        value = value * 10 + (bytes[at++] - '0');
    return at > start;
}

} // namespace

const std::vector<std::uint8_t>& gifPalette()
{
    static const std::vector<std::uint8_t> palette = [] {
        std::vector<std::uint8_t> colours;
        for (int r = 0; r < kCubeLevels; ++r) {
            for (int g = 0; g < kCubeLevels; ++g) {
                for (int b = 0; b < kCubeLevels; ++b) {
                    colours.push_back(static_cast<std::uint8_t>(r * 51));
                    colours.push_back(static_cast<std::uint8_t>(g * 51));
                    colours.push_back(static_cast<std::uint8_t>(b * 51));
                }
            }
        }
        for (int i = 0; i < kGreys; ++i) {
            std::uint8_t level = greyLevel(i);
            colours.insert(colours.end(), { level, level, level });
        }
        return colours;
    }();
    return palette;
}

std::uint8_t paletteIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    int high = std::max({ red, green, blue });
    int low = std::min({ red, green, blue });
    if (high - low <= kGreyTolerance) {
        int grey = (red + green + blue) / 3;
        return static_cast<std::uint8_t>(kCubeSize + (grey * (kGreys - 1) + 127) / 255);
    }
    auto level = [](int channel) { return (channel + 25) / 51; };
    return static_cast<std::uint8_t>(level(red) * 36 + level(green) * 6 + level(blue));
}

platform::Result<RgbImage, ImageError> parsePpm(std::string_view bytes)
{
    if (bytes.substr(0, 2) != "P6")
        return ImageError::Malformed;
    std::size_t at = 2;
    int width = 0, height = 0, maxValue = 0;
    if (!readNumber(bytes, at, width) || !readNumber(bytes, at, height) || !readNumber(bytes, at, maxValue))
        return ImageError::Malformed;
    if (width > kMaxSide || height > kMaxSide)
        return ImageError::TooLarge;
    // One blank separates the header from the pixels.
    if (width <= 0 || height <= 0 || maxValue != 255 || at >= bytes.size())
        return ImageError::Malformed;
    ++at;
    std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    if (bytes.size() - at < size)
        return ImageError::Malformed;
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
        bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
    return image;
}

std::string encodeGif(const RgbImage& image)
{
    std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    if (count == 0 || image.pixels.size() < count * 3)
        return {};
    std::vector<std::uint8_t> indices(count);
    for (std::size_t i = 0; i < count; ++i)
        indices[i] = paletteIndex(image.pixels[3 * i], image.pixels[3 * i + 1], image.pixels[3 * i + 2]);

    std::string out = "GIF89a";
    putU16(out, image.width);
    putU16(out, image.height);
    out.push_back(static_cast<char>(0xF7)); // Global palette of 256 colours, 8 bits per primary.
    out.push_back('\0'); // Background colour.
    out.push_back('\0'); // No aspect ratio.
    const auto& palette = gifPalette();
    out.append(reinterpret_cast<const char*>(palette.data()), palette.size());
    out.push_back(',');
    putU16(out, 0);
    putU16(out, 0);
    putU16(out, image.width);
    putU16(out, image.height);
    out.push_back('\0'); // No local palette, not interlaced.
    out.push_back(static_cast<char>(kMinCodeSize));
    out += compress(indices);
    out.push_back(';');
    return out;
}

} // namespace pc::convert
