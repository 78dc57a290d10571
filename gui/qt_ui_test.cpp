// Message boxes of the Qt Ui on the offscreen platform: the default button a
// question names is the one Enter presses, Escape gives the dismiss answer,
// and the standard buttons speak Korean once Qt's catalogue is loaded.

#include "gui/qt_translations.h"
#include "gui/qt_ui.h"
#include "gui/testing/offscreen_app.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <functional>

namespace gui {
namespace {

// Runs `inspect` on the message box once it is up, then presses `key` in it.
void whenBoxOpens(std::function<void(QMessageBox&)> inspect, int key)
{
    QTimer::singleShot(0, [inspect = std::move(inspect), key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    });
}

bool koreanCatalogueInstalled()
{
    return QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ko.qm");
}

TEST(QtUi, EnterTakesTheDefaultAnswerTheQuestionNames)
{
    testing::offscreenApp();
    QtUi ui;
    whenBoxOpens([](QMessageBox& box) { EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::Cancel)); },
        Qt::Key_Return);
    EXPECT_EQ(ui.question("Quillon", "접속 로그를 지웁니다.", platform::Buttons::OkCancel, platform::Icon::Warning,
                  platform::Answer::Cancel),
        platform::Answer::Cancel);

    // Without a named default, Enter presses OK as before.
    whenBoxOpens([](QMessageBox&) {}, Qt::Key_Return);
    EXPECT_EQ(ui.question("Quillon", "종료하시겠습니까?", platform::Buttons::OkCancel), platform::Answer::Ok);
}

TEST(QtUi, EscapeGivesTheDismissAnswer)
{
    testing::offscreenApp();
    QtUi ui;
    whenBoxOpens([](QMessageBox&) {}, Qt::Key_Escape);
    EXPECT_EQ(ui.question("Quillon", "종료하시겠습니까?", platform::Buttons::OkCancel, platform::Icon::Warning,
                  platform::Answer::Ok),
        platform::Answer::Cancel);
}

TEST(QtTranslations, StandardButtonsSpeakKoreanAndLoadOnce)
{
    auto& app = testing::offscreenApp();
    if (!koreanCatalogueInstalled())
        GTEST_SKIP() << "Qt's Korean catalogue is not installed (qt6-translations-l10n)";
    QtUi ui; // The first Ui loads the catalogue.
    EXPECT_TRUE(loadQtKoreanTranslations(app));
    QString cancel;
    whenBoxOpens([&cancel](QMessageBox& box) { cancel = box.button(QMessageBox::Cancel)->text(); }, Qt::Key_Escape);
    (void)ui.question("Quillon", "종료하시겠습니까?", platform::Buttons::OkCancel);
    EXPECT_TRUE(cancel.startsWith(QString::fromUtf8("취소"))) << cancel.toStdString();
    // A second load finds the catalogue in place and adds no second copy.
    int translators = app.findChildren<QTranslator*>().size();
    EXPECT_TRUE(loadQtKoreanTranslations(app));
    EXPECT_EQ(app.findChildren<QTranslator*>().size(), translators);
}

} // namespace
} // namespace gui
