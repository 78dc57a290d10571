#include "gui/ink/ink_image.h"

#include "gui/ink/ink_canvas_widget.h"
#include "gui/testing/offscreen_app.h"
#include "pocket/ink/testing/sample_ink.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <QMouseEvent>

#include <fstream>

namespace gui::ink {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

using pocket::ink::testing::kSampleInk;

class InkImageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_dir.empty()); }
    fs::path put(std::string_view bytes)
    {
        const auto path = m_dir / "m.ink";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    pocket::ink::testing::TempFolder m_folder;
    const fs::path& m_dir = m_folder.path();
};

bool isBlack(const QImage& image, int x, int y)
{
    return image.pixel(x, y) == qRgb(0, 0, 0);
}

TEST_F(InkImageTest, RendersTheSampleLine)
{
    auto image = renderInkFile(put(kSampleInk));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(240, 240));
    // On the line from (10, 30) to (100, 200), and one pixel to its side
    // (the pen is three pixels wide).
    EXPECT_TRUE(isBlack(*image, 10, 30));
    EXPECT_TRUE(isBlack(*image, 55, 115));
    EXPECT_TRUE(isBlack(*image, 56, 115));
    EXPECT_TRUE(isBlack(*image, 100, 200));
    // Away from it: white; the frame line at y = 20 is black.
    EXPECT_EQ(image->pixel(200, 50), qRgb(255, 255, 255));
    EXPECT_EQ(image->pixel(60, 115), qRgb(255, 255, 255));
    EXPECT_TRUE(isBlack(*image, 120, 20));
}

TEST_F(InkImageTest, ReportsTheReadersAndDrawersMessages)
{
    EXPECT_EQ(renderInkFile(m_dir / "none.ink").error(), "The Message does not exist..");
    EXPECT_EQ(renderInkFile(put(kSampleInk.substr(0, 12))).error(), "Invalid end of Message File..");
    EXPECT_EQ(renderInkFile(put("eq\x82\x00\x01\x00\x01" "fg"sv)).error(), "Color data was damaged!");
}

void mouse(QWidget& widget, QEvent::Type type, int x, int y)
{
    const QPointF at(x, y);
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

TEST(InkCanvasWidget, PenEventsRecordAndPaintInCanvasPixels)
{
    testing::offscreenApp();
    InkCanvasWidget widget;
    widget.resize(480, 550); // Shown at twice the canvas size.
    pocket::ink::InkRecorder recorder;
    widget.setPenHandler([&](const pocket::ink::PenEvent& event) {
        const auto outcome = recorder.handle(event);
        if (outcome.line)
            widget.drawLine(outcome.line->from, outcome.line->to, outcome.line->width, outcome.line->colour);
    });
    mouse(widget, QEvent::MouseButtonPress, 20, 60);
    mouse(widget, QEvent::MouseMove, 200, 400);
    mouse(widget, QEvent::MouseButtonRelease, 200, 400);

    const auto& items = recorder.message().items();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(std::get<pocket::ink::InkPoint>(items[3]), (pocket::ink::InkPoint { 10, 30 }));
    EXPECT_EQ(std::get<pocket::ink::InkPoint>(items[4]), (pocket::ink::InkPoint { 100, 200 }));
    EXPECT_TRUE(isBlack(widget.image(), 55, 115));

    widget.clear();
    EXPECT_EQ(widget.image().pixel(55, 115), qRgb(255, 255, 255));
}

} // namespace
} // namespace gui::ink
