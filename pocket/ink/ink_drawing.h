#pragma once

// File: pocket/ink/ink_drawing.h
// Drawing a message stroke by stroke, checking each stroke's head as it
// goes. A damaged stroke head stops the drawing and clears the canvas.

#include "platform/result.h"
#include "pocket/ink/ink_canvas.h"
#include "pocket/ink/ink_message.h"

#include <string_view>

namespace pocket::ink {

enum class DrawError {
    LineStart, // A stroke does not begin with "e".
    Thickness, // "e" is not followed by a thickness token.
    Colour, // The thickness is not followed by a colour token.
};

// The message box text of a drawing failure (title "Quillon").
std::string_view drawErrorText(DrawError error);

// Draws every stroke: consecutive points joined by lines of the stroke's
// width and colour. A stroke with one point draws nothing; an empty message
// draws nothing and succeeds. On damage the canvas is cleared and the error
// returned; the caller frees the message.
[[nodiscard]] platform::Result<void, DrawError> drawInk(const InkMessage& message, InkCanvas& canvas);

} // namespace pocket::ink
