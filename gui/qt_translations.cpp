#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace gui {

namespace {

// Marks the application that holds the catalogue already.
constexpr const char* kLoadedProperty = "quillonQtKoreanTranslations";

} // namespace

bool loadQtKoreanTranslations(QCoreApplication& app)
{
    if (app.property(kLoadedProperty).isValid())
        return app.property(kLoadedProperty).toBool();
    auto* translator = new QTranslator(&app);
    bool loaded = translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_",
        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded)
        loaded = QCoreApplication::installTranslator(translator);
    if (!loaded)
        delete translator;
    app.setProperty(kLoadedProperty, loaded);
    return loaded;
}

} // namespace gui
