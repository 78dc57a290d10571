// The handheld's scale carried to the windows it opens: their text as large
// as the handheld's, and each placed over the handheld window, inside the
// screen's free area.

#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_mypc_view.h"
#include "gui/pocket/qt_search_dialog.h"
#include "gui/pocket/testing/pocket_window_fixture.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScreen>

namespace gui::handheld {
namespace {

    using testing::PocketWindowTest;
    using testing::whenModal;

    class ScalingTest : public PocketWindowTest {
    protected:
        ScalingTest() { m_screen = { 2 }; }

        // The handheld window on show at a known place.
        void showHandheld(QPoint at)
        {
            gui().window().move(at);
            gui().window().show();
            QApplication::processEvents();
        }
        void expectCentredOverHandheld(QWidget& window)
        {
            const QRect handheld = gui().window().frameGeometry();
            const QRect placed = window.frameGeometry();
            EXPECT_LE(std::abs(placed.center().x() - handheld.center().x()), 1) << placed.x();
            EXPECT_LE(std::abs(placed.center().y() - handheld.center().y()), 1) << placed.y();
            EXPECT_TRUE(window.screen()->availableGeometry().contains(placed));
        }
    };

    TEST_F(ScalingTest, DialogsTakeTheHandheldsScaleAndOpenOverIt)
    {
        const QFont before = QApplication::font();
        showHandheld({ 60, 40 });
        EXPECT_EQ(QApplication::font().pixelSize(), 2 * PocketScaling::kTextHeight);

        // The progress window of a transfer.
        gui().myPcView().openProgress("a.txt");
        QApplication::processEvents();
        QProgressDialog* progress = gui().myPcView().progressDialog();
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->font().pixelSize(), 2 * PocketScaling::kTextHeight);
        expectCentredOverHandheld(*progress);
        gui().myPcView().closeProgress();

        // A modal dialog (the search word), and a message box with no parent.
        bool searchSeen = false;
        whenModal<QtSearchDialog>([&](QtSearchDialog& search) {
            searchSeen = true;
            EXPECT_EQ(search.wordEdit()->font().pixelSize(), 2 * PocketScaling::kTextHeight);
            expectCentredOverHandheld(search);
            search.reject();
        });
        gui().askSearchWord("C:\\docs");
        EXPECT_TRUE(searchSeen);
        QMessageBox box(QMessageBox::Information, "Quillon", "파일다운로드 폴더에 저장되었습니다.");
        box.show();
        QApplication::processEvents();
        EXPECT_EQ(box.font().pixelSize(), 2 * PocketScaling::kTextHeight);
        expectCentredOverHandheld(box);
        box.hide();

        m_gui.reset();
        EXPECT_EQ(QApplication::font(), before);
    }

    TEST_F(ScalingTest, WindowsOfAHandheldAtTheScreensEdgeStayOnTheScreen)
    {
        const QRect free = gui().window().QWidget::screen()->availableGeometry();
        showHandheld({ free.right() - 100, free.bottom() - 100 });
        QMessageBox box(QMessageBox::Information, "Quillon", "Quillon");
        box.show();
        QApplication::processEvents();
        EXPECT_TRUE(free.contains(box.frameGeometry())) << box.x() << "," << box.y();
        box.hide();
    }

} // namespace
} // namespace gui::handheld
