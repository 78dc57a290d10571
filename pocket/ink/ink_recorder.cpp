#include "pocket/ink/ink_recorder.h"

namespace pocket::ink {

RecordOutcome InkRecorder::handle(const PenEvent& event)
{
    const InkPoint at { event.x, event.y };
    switch (event.action) {
    case PenAction::Down:
        return penDown(at);
    case PenAction::Move:
        return penMove(at);
    case PenAction::Up:
        return penUp(at);
    }
    return {};
}

RecordOutcome InkRecorder::penDown(InkPoint at)
{
    if (!kRecordBounds.contains(at.x, at.y))
        return {};
    // A pen-down without the pen-up of the previous stroke closes that one.
    if (m_drawing)
        endStroke();
    m_message.append(InkToken::LineStart);
    m_message.append(m_thickness);
    m_message.append(m_colour);
    m_message.append(at);
    m_drawing = true;
    m_last = at;
    // The stroke keeps the pen it started with, whatever is chosen meanwhile.
    m_strokePen = LiveLine { at, at, penWidth(m_thickness), *colourOf(m_colour) };
    return {};
}

RecordOutcome InkRecorder::penMove(InkPoint at)
{
    if (!m_drawing)
        return {};
    if (!kRecordBounds.contains(at.x, at.y)) {
        endStroke();
        return {};
    }
    m_message.append(at);
    RecordOutcome outcome;
    outcome.line = LiveLine { m_last, at, m_strokePen.width, m_strokePen.colour };
    m_last = at;
    return outcome;
}

RecordOutcome InkRecorder::penUp(InkPoint at)
{
    // Any pen-up ends the stroke, also one outside the drawing area: a
    // stroke left open would run into the next one.
    if (m_drawing)
        endStroke();
    RecordOutcome outcome;
    if (kColourButtonHit.contains(at.x, at.y) && !m_colourPaletteOpen) {
        m_colourPaletteOpen = true;
        outcome.openPalette = Palette::Colour;
    } else if (kThicknessButtonHit.contains(at.x, at.y) && !m_thicknessPaletteOpen) {
        m_thicknessPaletteOpen = true;
        outcome.openPalette = Palette::Thickness;
    }
    return outcome;
}

void InkRecorder::endStroke()
{
    m_message.append(InkToken::LineEnd);
    m_drawing = false;
}

void InkRecorder::chooseColour(InkToken colour)
{
    if (!isColourToken(colour))
        return;
    m_colour = colour;
    m_colourPaletteOpen = false;
}

void InkRecorder::chooseThickness(InkToken thickness)
{
    if (!isThicknessToken(thickness))
        return;
    m_thickness = thickness;
    m_thicknessPaletteOpen = false;
}

void InkRecorder::closePalette(Palette palette)
{
    if (palette == Palette::Colour)
        m_colourPaletteOpen = false;
    else
        m_thicknessPaletteOpen = false;
}

bool InkRecorder::isPaletteOpen(Palette palette) const
{
    return palette == Palette::Colour ? m_colourPaletteOpen : m_thicknessPaletteOpen;
}

void InkRecorder::load(InkMessage message)
{
    m_message = std::move(message);
    m_drawing = false;
}

void InkRecorder::clear()
{
    m_message.clear();
    m_drawing = false;
}

} // namespace pocket::ink
