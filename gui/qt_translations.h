#pragma once

// File: gui/qt_translations.h
// Qt's own texts in Korean: the standard buttons of message boxes and button
// boxes ("확인", "취소"), file choosers and the edit menus of text fields, so
// that they match the Korean interface around them. The texts come from
// Qt's translation catalogues (Debian's qt6-translations-l10n); our own
// texts are Korean already and are not translated.

class QCoreApplication;

namespace gui {

// Installs the Korean catalogue of Qt's base module into the application,
// once per application; later calls do nothing. False when the catalogue is
// not installed (the standard texts then stay English).
bool loadQtKoreanTranslations(QCoreApplication& app);

} // namespace gui
