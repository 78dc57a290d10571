#pragma once

// File: pocket/ink/ink_recorder.h
// Turns the composer canvas's pen events into an InkMessage and tells the
// canvas what to draw live and which palette to open. Belongs to the window
// thread; owns the message it records.

#include "pocket/ink/ink_message.h"
#include "pocket/ink/palette.h"

#include <optional>

namespace pocket::ink {

enum class PenAction { Down, Move, Up };

// A pointer event in client pixels of the composer window.
struct PenEvent {
    PenAction action = PenAction::Down;
    int x = 0;
    int y = 0;
};

// Where recorded points may lie: 5 <= x < 236 and 25 <= y < 236.
constexpr Rect kRecordBounds { 5, 25, 236, 236 };

enum class Palette { Colour, Thickness };

struct LiveLine {
    InkPoint from;
    InkPoint to;
    int width = 0;
    Rgb colour;
};

// What the view should do after an event.
struct RecordOutcome {
    std::optional<LiveLine> line; // Draw this segment now.
    std::optional<Palette> openPalette; // Show this palette.
};

class InkRecorder {
public:
    RecordOutcome handle(const PenEvent& event);

    // A palette choice closes its palette and sets the pen for the next
    // stroke. Tokens of the wrong kind are ignored.
    void chooseColour(InkToken colour);
    void chooseThickness(InkToken thickness);
    void closePalette(Palette palette);
    bool isPaletteOpen(Palette palette) const;

    // Frees the message and starts a new empty one ("New").
    void clear();
    // Replaces the drawing with a message read from a file.
    void load(InkMessage message);

    const InkMessage& message() const { return m_message; }
    InkToken colour() const { return m_colour; }
    InkToken thickness() const { return m_thickness; }
    bool isDrawing() const { return m_drawing; }

private:
    RecordOutcome penDown(InkPoint at);
    RecordOutcome penMove(InkPoint at);
    RecordOutcome penUp(InkPoint at);
    void endStroke();

    InkMessage m_message;
    InkToken m_thickness = InkToken::Thickness3;
    InkToken m_colour = InkToken::Black;
    bool m_drawing = false;
    InkPoint m_last;
    LiveLine m_strokePen;
    bool m_colourPaletteOpen = false;
    bool m_thicknessPaletteOpen = false;
};

} // namespace pocket::ink
