#pragma once

// File: gui/ink/qt_text.h
// UTF-8 std::string_view to QString, the one conversion the ink windows need.

#include <QString>

#include <string_view>

namespace gui::ink {

inline QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace gui::ink
