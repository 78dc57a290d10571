#pragma once

// File: gui/qt_string.h
// UTF-8 std::string and QString, the one conversion the PC program's views
// need: everything inside the program is UTF-8.

#include <QString>

#include <string>
#include <string_view>

namespace gui {

inline QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toUtf8(const QString& text)
{
    return text.toStdString();
}

} // namespace gui
