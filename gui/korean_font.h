#pragma once

// The application font: Korean text needs a font that has it (Debian's
// fonts-nanum, or Noto CJK).

class QApplication;

namespace gui {

// Sets the first Korean font found, at 10 points; false when none is there.
bool useKoreanFont(QApplication& app);

} // namespace gui
