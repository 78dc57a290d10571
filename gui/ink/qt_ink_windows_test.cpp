// The ink windows driven through their buttons, with the real pocket::ink
// logic behind them, on the offscreen platform.

#include "gui/ink/ink_canvas_widget.h"
#include "gui/ink/qt_ink_composer_window.h"
#include "gui/ink/qt_ink_viewer.h"
#include "gui/ink/qt_pen_message_box.h"
#include "gui/testing/offscreen_app.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/ink_file.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeWidget>

namespace gui::ink {
namespace {

using platform::testing::FakeUi;
using namespace pocket::ink;

struct NullCarriage final : PenCarriage {
    void probe(std::string_view) override { }
    void cancelProbe() override { }
    void send(std::string_view, const StoredInk& ink) override { sent.push_back(ink); }
    void cancelSend() override { }
    std::vector<StoredInk> sent;
};

void press(QWidget& widget, QEvent::Type type, int x, int y)
{
    const QPointF at(x, y);
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class QtInkWindowsTest : public ::testing::Test {
protected:
    void SetUp() override { testing::offscreenApp(); }

    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    pocket::ink::testing::TempFolder m_root;
    FakeUi m_ui;
};

// A composer window with the real composer behind it, opened.
struct OpenComposer {
    OpenComposer(platform::Clock& clock, const std::filesystem::path& root, platform::Ui& ui, platform::EventLoop& loop)
        : window(clock)
        , composer({ Network::Icq, "42", "7", root }, window, ui, carriage, loop)
    {
        window.setComposer(&composer);
        composer.open();
    }
    QtInkComposerWindow window;
    NullCarriage carriage;
    InkComposer composer;
};

// A stroke from canvas point (10, 30) to (100, 200), the canvas drawn
// `scale` times larger at `origin` of the widget.
void stroke(QWidget& canvas, QPoint origin = {}, int scale = 1)
{
    press(canvas, QEvent::MouseButtonPress, origin.x() + 10 * scale, origin.y() + 30 * scale);
    press(canvas, QEvent::MouseMove, origin.x() + 100 * scale, origin.y() + 200 * scale);
    press(canvas, QEvent::MouseButtonRelease, origin.x() + 100 * scale, origin.y() + 200 * scale);
}

TEST_F(QtInkWindowsTest, ComposerWindowFollowsTheComposer)
{
    OpenComposer open(m_clock, m_root.path(), m_ui, m_loop);
    auto& [window, carriage, composer] = open;
    EXPECT_EQ(window.statusLabel()->text().toStdString(), "펜 메세지 수신 여부 체크 중..");
    EXPECT_FALSE(window.sendButton()->isEnabled());

    composer.onPeerReady();
    EXPECT_TRUE(window.sendButton()->isEnabled());
    auto& canvas = *window.canvasWidget();
    canvas.resize(InkCanvasWidget::kWidth, InkCanvasWidget::kHeight);
    stroke(canvas);
    EXPECT_EQ(canvas.image().pixel(55, 115), qRgb(0, 0, 0));
    press(canvas, QEvent::MouseButtonRelease, 140, 260);
    EXPECT_FALSE(window.paletteRow(Palette::Colour)->isHidden());

    window.sendButton()->click();
    ASSERT_EQ(carriage.sent.size(), 1u);
    EXPECT_EQ(readInkFile(carriage.sent[0].hostPath)->size(), 6u);
    EXPECT_FALSE(window.sendButton()->isEnabled());
}

TEST_F(QtInkWindowsTest, AScaledCanvasKeepsItsProportionsAndItsPen)
{
    OpenComposer open(m_clock, m_root.path(), m_ui, m_loop);
    open.composer.onPeerReady();
    auto& canvas = *open.window.canvasWidget();
    canvas.setScale(2);
    EXPECT_EQ(canvas.minimumSize(), QSize(2 * InkCanvasWidget::kWidth, 2 * InkCanvasWidget::kHeight));
    // Taller than its proportions: drawn twice as large, centred.
    canvas.resize(480, 1000);
    const QRect shown(0, 225, 480, 550);
    EXPECT_EQ(canvas.canvasRect(), shown);
    stroke(canvas, shown.topLeft(), 2);
    EXPECT_EQ(canvas.image().pixel(55, 115), qRgb(0, 0, 0));

    // What is drawn lands where the pen was: twice as large, centred.
    InkCanvasWidget alone;
    alone.setScale(2);
    alone.resize(480, 1000);
    alone.drawLine({ 10, 30 }, { 100, 200 }, 1, { 0, 0, 0 });
    const QImage shot = alone.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(480, 1000));
    EXPECT_EQ(shot.pixel(110, 225 + 230), qRgb(0, 0, 0));
    EXPECT_NE(shot.pixel(110, 100), qRgb(255, 255, 255)); // The ground above the canvas.
}

TEST_F(QtInkWindowsTest, ViewerWindowsCloseThroughOk)
{
    QtInkViewerHost host;
    InkViewers viewers(host, m_ui);
    host.setViewers(&viewers);
    InkMessage message;
    for (auto token : { InkToken::LineStart, InkToken::Thickness3, InkToken::Red })
        message.append(token);
    message.append(InkPoint { 10, 30 });
    message.append(InkPoint { 100, 200 });
    message.append(InkToken::LineEnd);
    ASSERT_TRUE(viewers.open("From : ICQ - 42", message));
    EXPECT_EQ(viewers.openCount(), 1);

    auto windows = QApplication::topLevelWidgets();
    QtInkViewerWindow* window = nullptr;
    for (auto* widget : windows) {
        if (auto* viewer = dynamic_cast<QtInkViewerWindow*>(widget); viewer && viewer->isVisible())
            window = viewer;
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->titleLabel()->text().toStdString(), "From : ICQ - 42");
    EXPECT_EQ(window->canvasWidget()->image().pixel(55, 115), qRgb(255, 0, 0));
    window->findChild<QPushButton*>()->click();
    EXPECT_EQ(viewers.openCount(), 0);
    EXPECT_FALSE(window->isVisible());

    // Closing by the frame is "OK" too.
    ASSERT_TRUE(viewers.open("From : MSN - a@b.c", message));
    window = nullptr;
    for (auto* widget : QApplication::topLevelWidgets()) {
        if (auto* viewer = dynamic_cast<QtInkViewerWindow*>(widget); viewer && viewer->isVisible())
            window = viewer;
    }
    ASSERT_NE(window, nullptr);
    window->close();
    EXPECT_EQ(viewers.openCount(), 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(QtInkWindowsTest, MessageBoxListsAndDeletes)
{
    const auto local = [&](std::string_view handheld) { return hostPath(m_root.path(), handheld); };
    std::filesystem::create_directories(local(receiveFolder(Network::Msn)));
    ASSERT_TRUE(appendIndexLine(local(indexPath(Network::Msn)), receiveFolder(Network::Msn) + "\\a 1.ink"));
    ASSERT_TRUE(appendIndexLine(local(indexPath(Network::Msn)), receiveFolder(Network::Msn) + "\\b 2.ink"));

    QtInkViewerHost host;
    InkViewers viewers(host, m_ui);
    QtPenMessageBox window;
    PenMessageBox box(m_root.path(), window, m_ui, viewers);
    window.setBox(&box);
    box.open();
    auto* list = window.list(Network::Msn);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "b");

    list->setCurrentItem(list->topLevelItem(0));
    m_ui.pushAnswer(platform::Answer::Ok);
    window.deleteButton()->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1).toStdString(), "a");
}

} // namespace
} // namespace gui::ink
