// The handheld window resized: the screen takes the largest scale at which
// it fits, everything on it is laid out anew at that scale without losing
// what was typed, chosen or scrolled, and windows opened afterwards take the
// new scale.

#include "gui/ink/ink_canvas_widget.h"
#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_search_dialog.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/pocket/testing/pocket_window_fixture.h"
#include "pocket/app/frame_layout.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using testing::PocketWindowTest;
    using testing::whenModal;

    // The font size of every widget on the screen, and the geometry of those
    // the program places (Qt places the insides of its own widgets).
    struct Look {
        QMap<QWidget*, QRect> places;
        QMap<QWidget*, int> fonts;
    };

    // The margins and spacing of a window's layouts: the style's own (not
    // whole device pixels) among them.
    QList<QMargins> layoutLengths(QWidget& window)
    {
        QList<QMargins> lengths;
        for (QLayout* layout : window.findChildren<QLayout*>())
            lengths << layout->contentsMargins() << QMargins(layout->spacing(), 0, 0, 0);
        return lengths;
    }

    Look lookOf(QtPocketWindow& window)
    {
        const QList<QWidget*> placing { window.screenArea(), window.mainDialog(), window.titleBand(),
            window.menuBarWidget(window.shownMenuBar()) };
        Look look;
        for (QWidget* widget : window.screenArea()->findChildren<QWidget*>()) {
            if (widget->isWindow())
                continue;
            if (placing.contains(widget->parentWidget()))
                look.places.insert(widget, widget->geometry());
            look.fonts.insert(widget, widget->font().pixelSize());
        }
        return look;
    }

    class ResizeTest : public PocketWindowTest {
    protected:
        ResizeTest() { m_screen = { 2 }; }

        QtPocketWindow& window() { return gui().window(); }
        void show()
        {
            window().show();
            QApplication::processEvents();
        }
        void resize(int width, int height)
        {
            window().resize(width, height);
            QApplication::processEvents();
        }
    };

    TEST_F(ResizeTest, TheScreenScalesToFitAndEverythingOnItFollows)
    {
        show();
        ASSERT_EQ(window().size(), QSize(480, 640));
        QPushButton* go = button(app::kGoButton);
        const QRect goBefore = go->geometry();
        const int goFont = go->font().pixelSize();
        QTreeWidget* tree = dialog().pcTree();
        const int indentation = tree->indentation();
        QWidget* bar = window().menuBarWidget(window().shownMenuBar());
        ASSERT_NE(bar, nullptr);

        resize(720, 960);
        EXPECT_DOUBLE_EQ(window().screen().scale, 3.0);
        EXPECT_EQ(window().screenArea()->geometry(), QRect(0, 0, 720, 960));
        EXPECT_EQ(go->geometry(), QRect(goBefore.topLeft() * 3 / 2, goBefore.size() * 3 / 2));
        EXPECT_EQ(go->font().pixelSize(), goFont * 3 / 2);
        EXPECT_EQ(tree->indentation(), indentation * 3 / 2);
        EXPECT_EQ(dialog().geometry(), window().screen().rect(0, app::kTitleBandHeight, kScreenWidth,
                                           kScreenHeight - app::kTitleBandHeight - kMenuBarHeight));
        EXPECT_EQ(window().titleBand()->geometry(), QRect(0, 0, 720, 3 * app::kTitleBandHeight));
        EXPECT_EQ(bar->geometry(), QRect(0, 3 * (kScreenHeight - kMenuBarHeight), 720, 3 * kMenuBarHeight));
        for (auto* menuButton : bar->findChildren<QToolButton*>()) {
            EXPECT_EQ(menuButton->font().pixelSize(), 36);
            EXPECT_EQ(menuButton->menu()->font().pixelSize(), 36);
        }
        // Taps on the title band reach the core in device pixels.
        QPoint tapped;
        window().titleBand()->onTap = [&tapped](int x, int y) { tapped = { x, y }; };
        QTest::mouseClick(window().titleBand(), Qt::LeftButton, {}, QPoint(31, 32));
        EXPECT_EQ(tapped, QPoint(10, 10));

        // Wider than the screen's shape: the screen is as tall as the window,
        // centred, at a fractional scale.
        resize(700, 720);
        EXPECT_DOUBLE_EQ(window().screen().scale, 2.25);
        EXPECT_EQ(window().screenArea()->geometry(), QRect(80, 0, 540, 720));
        EXPECT_EQ(go->geometry(), window().screen().rect(213, 24, 27, 16));
        EXPECT_EQ(go->font().pixelSize(), 23); // 10 device pixels, rounded
    }

    TEST_F(ResizeTest, ManySmallStepsComeBackToTheSameLook)
    {
        show();
        const Look before = lookOf(window());
        const QList<QMargins> sheetBefore = layoutLengths(gui().optionsSheet());
        for (int width = 480; width <= 760; width += 7)
            resize(width, width * 4 / 3);
        for (int width = 760; width >= 250; width -= 11)
            resize(width, width * 4 / 3);
        resize(480, 640);
        const Look after = lookOf(window());
        EXPECT_EQ(layoutLengths(gui().optionsSheet()), sheetBefore);
        for (auto it = before.places.begin(); it != before.places.end(); ++it)
            EXPECT_EQ(after.places.value(it.key()), it.value()) << it.key()->metaObject()->className() << " "
                                                                << it.key()->objectName().toStdString();
        for (auto it = before.fonts.begin(); it != before.fonts.end(); ++it)
            EXPECT_EQ(after.fonts.value(it.key()), it.value()) << it.key()->metaObject()->className() << " "
                                                               << it.key()->objectName().toStdString();
    }

    TEST_F(ResizeTest, WhatWasTypedChosenAndScrolledStays)
    {
        show();
        dialog().addressBox()->setEditText(QStringLiteral("http://192.168.0.10/주소"));
        QTreeWidget* tree = dialog().pcTree();
        tree->setCurrentItem(tree->topLevelItem(0));
        // The web view with a long page, scrolled half way.
        core().frame().setConnected(true);
        core().frame().onViewButton(app::kButtonMyPc);
        core().frame().toggleScreen();
        QTextBrowser* web = dialog().webView();
        QString page;
        for (int line = 0; line < 200; ++line)
            page += QStringLiteral("<p>%1번째 줄</p>").arg(line);
        web->setHtml(page);
        QApplication::processEvents();
        QScrollBar* scroll = web->verticalScrollBar();
        ASSERT_GT(scroll->maximum(), 0);
        scroll->setValue(scroll->maximum() / 2);

        resize(600, 800);
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("http://192.168.0.10/주소"));
        // What Qt places inside its own widgets follows them, not scaled twice.
        QComboBox* address = dialog().addressBox();
        EXPECT_TRUE(address->rect().contains(address->lineEdit()->geometry()));
        EXPECT_GT(address->lineEdit()->width(), address->width() * 3 / 4);
        EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
        EXPECT_NEAR(double(scroll->value()) / scroll->maximum(), 0.5, 0.02);
    }

    TEST_F(ResizeTest, TheScreensOwnWindowsFollowWithWhatWasTypedInThem)
    {
        show();
        QtPocketLoginDialog& login = gui().loginDialog();
        login.idEdit()->setText(QStringLiteral("kim"));
        const QRect idBefore = login.idEdit()->geometry();
        const QSize sheetBefore = gui().optionsSheet().size();
        const int idFont = login.idEdit()->font().pixelSize();
        const int fieldFont = gui().optionsSheet().findChild<QLineEdit*>()->font().pixelSize();

        resize(720, 960);
        EXPECT_EQ(login.size(), window().screen().rect(0, 0, kScreenWidth, 268).size());
        EXPECT_EQ(login.idEdit()->geometry(), QRect(idBefore.topLeft() * 3 / 2, idBefore.size() * 3 / 2));
        EXPECT_EQ(login.idEdit()->text(), QStringLiteral("kim"));
        // (Under a style sheet a widget takes its parent's font only once.)
        EXPECT_EQ(login.idEdit()->font().pixelSize(), idFont * 3 / 2);
        for (auto* field : gui().optionsSheet().findChildren<QLineEdit*>())
            EXPECT_EQ(field->font().pixelSize(), fieldFont * 3 / 2);
        EXPECT_EQ(login.styleSheet(), window().screen().checkBoxStyle());
        EXPECT_EQ(gui().optionsSheet().size(), sheetBefore * 3 / 2);
        EXPECT_EQ(gui().optionsSheet().styleSheet(), window().screen().checkBoxStyle());
    }

    TEST_F(ResizeTest, ADialogOpenedAfterTheResizeTakesTheNewScale)
    {
        show();
        resize(720, 960);
        EXPECT_EQ(QApplication::font().pixelSize(), 3 * PocketScaling::kTextHeight);
        bool seen = false;
        whenModal<QtSearchDialog>([&](QtSearchDialog& search) {
            seen = true;
            EXPECT_EQ(search.wordEdit()->font().pixelSize(), 3 * PocketScaling::kTextHeight);
            search.reject();
        });
        gui().askSearchWord("C:\\docs");
        EXPECT_TRUE(seen);
    }

    TEST_F(ResizeTest, ADeviceWindowOpenedAfterTheResizeTakesTheScreensSizeAtTheNewScale)
    {
        show();
        resize(360, 480);
        gui().showComposer();
        QApplication::processEvents();
        EXPECT_EQ(gui().mailComposer().size(), QSize(360, 402));
        gui().mailComposer().hide();
    }

    TEST_F(ResizeTest, WindowsOpenDuringTheResizeTakeTheNewScaleAndStayOverTheHandheld)
    {
        show();
        gui().showComposer();
        QApplication::processEvents();
        QtMailComposer& composer = gui().mailComposer();
        EXPECT_EQ(composer.size(), QSize(480, 536));
        composer.move(0, 0);
        resize(360, 480);
        EXPECT_EQ(composer.size(), QSize(360, 402));
        const QPoint handheld = window().frameGeometry().center();
        EXPECT_LE((composer.frameGeometry().center() - handheld).manhattanLength(), 2);
        composer.hide();
    }

    TEST_F(ResizeTest, PenCanvasesOpenAtTheScreensScale)
    {
        show();
        resize(720, 960);
        QWidget pen;
        auto* canvas = new gui::ink::InkCanvasWidget(&pen);
        pen.show();
        QApplication::processEvents();
        EXPECT_EQ(canvas->minimumSize(), QSize(3 * gui::ink::InkCanvasWidget::kWidth, 3 * gui::ink::InkCanvasWidget::kHeight));
    }

    TEST_F(ResizeTest, NoSmallerThanTheDevicesOwnScreen)
    {
        show();
        resize(100, 120);
        EXPECT_EQ(window().size(), QSize(kScreenWidth, kScreenHeight));
        EXPECT_DOUBLE_EQ(window().screen().scale, 1.0);
        EXPECT_EQ(button(app::kGoButton)->geometry(), QRect(213, 24, 27, 16));
    }

    class StartingScaleTest : public PocketWindowTest {
    protected:
        StartingScaleTest() { m_screen = { 3 }; }
    };

    TEST_F(StartingScaleTest, TheGivenScaleSetsTheStartingSize)
    {
        gui().window().show();
        QApplication::processEvents();
        EXPECT_EQ(gui().window().size(), QSize(720, 960));
        EXPECT_DOUBLE_EQ(gui().window().screen().scale, 3.0);
        EXPECT_EQ(QApplication::font().pixelSize(), 3 * PocketScaling::kTextHeight);
    }

} // namespace
} // namespace gui::handheld
