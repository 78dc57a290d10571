#pragma once

// File: pc/convert/gif_encoder.h
// Page images for the handheld are GIF files (GIF89a): the word-processor
// pages are rendered as RGB and reduced to one fixed palette of 256 colours
// (a 6×6×6 colour cube and 40 greys, so that anti-aliased text keeps its
// shades), then LZW-compressed. Pure; also reads the binary PPM images
// that pdftoppm writes.

#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width × height × 3 bytes, rows top down.
};

enum class ImageError {
    Malformed,
    TooLarge, // Over 16384 pixels in either direction.
};

// Reads a binary PPM ("P6") image with a maximum value of 255.
platform::Result<RgbImage, ImageError> parsePpm(std::string_view bytes);

// The palette index of a colour in the fixed palette.
std::uint8_t paletteIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// The fixed palette, 256 × 3 bytes.
const std::vector<std::uint8_t>& gifPalette();

// A whole GIF file of the image; empty for an image without pixels.
std::string encodeGif(const RgbImage& image);

} // namespace pc::convert
