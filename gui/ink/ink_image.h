#pragma once

// File: gui/ink/ink_image.h
// Renders an ink file into an image: read and check the file, then draw it
// on a white canvas. Needs no display and no application object.

#include "platform/result.h"

#include <QImage>

#include <filesystem>
#include <string>

namespace gui::ink {

// The size of a rendered pen message: the handheld's drawing window.
constexpr int kInkImageSize = 240;

// The image, or the reader's or drawer's message ("Invalid end of Message
// File..", "Color data was damaged!" ...).
[[nodiscard]] platform::Result<QImage, std::string> renderInkFile(const std::filesystem::path& inkFile);

} // namespace gui::ink
