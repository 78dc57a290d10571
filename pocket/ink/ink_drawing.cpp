#include "pocket/ink/ink_drawing.h"

#include <optional>

namespace pocket::ink {

namespace {

std::optional<InkToken> tokenAt(const std::vector<InkItem>& items, std::size_t at)
{
    if (at >= items.size())
        return std::nullopt;
    if (const auto* token = std::get_if<InkToken>(&items[at]))
        return *token;
    return std::nullopt;
}

// Checks a stroke head at `at` ("e", thickness, colour) and moves past it.
platform::Result<void, DrawError> readStrokeHead(const std::vector<InkItem>& items, std::size_t& at,
    int& width, Rgb& colour)
{
    if (tokenAt(items, at) != InkToken::LineStart)
        return platform::unexpected(DrawError::LineStart);
    const auto thickness = tokenAt(items, at + 1);
    if (!thickness || !isThicknessToken(*thickness))
        return platform::unexpected(DrawError::Thickness);
    const auto colourToken = tokenAt(items, at + 2);
    const auto rgb = colourToken ? colourOf(*colourToken) : std::nullopt;
    if (!rgb)
        return platform::unexpected(DrawError::Colour);
    width = penWidth(*thickness);
    colour = *rgb;
    at += 3;
    return {};
}

} // namespace

std::string_view drawErrorText(DrawError error)
{
    switch (error) {
    case DrawError::LineStart:
        return "Line start data was damaged!!";
    case DrawError::Thickness:
        return "Thickness data was damaged!";
    case DrawError::Colour:
        return "Color data was damaged!";
    }
    return "Line start data was damaged!!";
}

platform::Result<void, DrawError> drawInk(const InkMessage& message, InkCanvas& canvas)
{
    const auto& items = message.items();
    std::size_t at = 0;
    while (at < items.size() && tokenAt(items, at) != InkToken::MessageEnd) {
        int width = 0;
        Rgb colour;
        if (auto head = readStrokeHead(items, at, width, colour); !head) {
            canvas.clear();
            return head;
        }
        std::optional<InkPoint> previous;
        for (; at < items.size() && isPoint(items[at]); ++at) {
            const auto point = std::get<InkPoint>(items[at]);
            if (previous)
                canvas.drawLine(*previous, point, width, colour);
            previous = point;
        }
        // A stroke that lacks its "f" ends at the next stroke or at the end
        // of the message; what follows is checked as the next stroke head.
        if (tokenAt(items, at) == InkToken::LineEnd)
            ++at;
    }
    return {};
}

} // namespace pocket::ink
