// The progress window through the view the service drives: modeless, shown
// while a search or an upload runs, its bar kept within 0 to 100.

#include "gui/pc/qt_progress_window.h"
#include "gui/testing/offscreen_app.h"

#include <gtest/gtest.h>

#include <QProgressBar>

namespace gui::pc {
namespace {

TEST(QtProgressWindow, ShowsTheBarWhileOpenAndKeepsItInRange)
{
    testing::offscreenApp();
    QtProgressWindow window;
    ::pc::service::ProgressView& view = window;
    EXPECT_FALSE(window.isVisible());

    view.openProgress();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.bar()->value(), 0);
    view.setProgress(40);
    view.stepProgress();
    EXPECT_EQ(window.bar()->value(), 41);
    view.setProgress(250); // An upload larger than announced.
    view.stepProgress();
    EXPECT_EQ(window.bar()->value(), 100);
    view.closeProgress();
    EXPECT_FALSE(window.isVisible());

    // The next search or upload starts from an empty bar.
    view.openProgress();
    EXPECT_EQ(window.bar()->value(), 0);
    view.stepProgress();
    EXPECT_EQ(window.bar()->value(), 1);
    view.closeProgress();
}

} // namespace
} // namespace gui::pc
