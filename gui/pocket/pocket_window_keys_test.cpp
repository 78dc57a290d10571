// The handheld window by keyboard alone: Ctrl+Tab through the pages, Enter
// on a folder, a file and a mail, the menu key and Shift+F10 on every list
// with a tap-and-hold menu, F10 and Escape, Ctrl+Q.

#include "gui/pocket/qt_mail_view.h"
#include "gui/pocket/qt_search_dialog.h"
#include "gui/pocket/testing/pc_window_fixture.h"

#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using testing::ScriptedPc;
    using testing::whenModal;

    // The entries of the popup menu a key opens on `target`, which is then
    // closed with Escape; empty when no menu opened.
    QStringList menuOpenedBy(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QStringList seen;
        auto* watch = new QTimer;
        watch->setInterval(5);
        QObject::connect(watch, &QTimer::timeout, watch, [&seen, watch] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* action : menu->actions())
                    seen << action->text();
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        watch->start();
        QTest::keyClick(&target, key, modifiers);
        QCoreApplication::processEvents();
        delete watch;
        return seen;
    }

    class KeysWindowTest : public testing::PcWindowTest {
    protected:
        void showWindow()
        {
            gui().window().show();
            QApplication::setActiveWindow(&gui().window());
        }
        QTreeWidgetItem* pcItem(const QString& text)
        {
            QCoreApplication::processEvents();
            const auto found = dialog().pcTree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
            return found.isEmpty() ? nullptr : found.first();
        }
    };

    TEST_F(KeysWindowTest, CtrlTabStepsThePagesAndCtrlQAsksBeforeEnding)
    {
        showWindow();
        ASSERT_EQ(core().frame().currentView(), app::kViewMsn);
        QTest::keyClick(dialog().msnTree(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(core().frame().currentView(), app::kViewIcq);
        QTest::keyClick(dialog().icqTree(), Qt::Key_Tab, Qt::ControlModifier);
        EXPECT_EQ(core().frame().currentView(), app::kViewMyPc);
        QTest::keyClick(dialog().pcTree(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(core().frame().currentView(), app::kViewIcq);
        EXPECT_TRUE(dialog().isControlShown(app::kIcqTree));

        m_ui.pushAnswer(platform::Answer::Cancel);
        QTest::keyClick(&gui().window(), Qt::Key_Q, Qt::ControlModifier);
        EXPECT_EQ(m_ui.lastText(), "종료하시겠습니까?");
        EXPECT_TRUE(core().frame().isRunning());
    }

    TEST_F(KeysWindowTest, EscapeClosesTheOpenMenuBeforeTheWindow)
    {
        showWindow();
        // F10 opens the first menu of the bar; Escape closes it and no more.
        const QStringList view = menuOpenedBy(gui().window(), Qt::Key_F10);
        EXPECT_EQ(view, QStringList({ "홈페이지", "About.." }));
        EXPECT_FALSE(gui().window().isMinimized());
        QTest::keyClick(&gui().window(), Qt::Key_Escape);
        EXPECT_TRUE(gui().window().isMinimized());
        EXPECT_TRUE(core().frame().isRunning());
    }

    TEST_F(KeysWindowTest, MenuKeyAndShiftF10OpenEveryTapAndHoldMenu)
    {
        showWindow();
        EXPECT_EQ(menuOpenedBy(*dialog().msnTree(), Qt::Key_Menu).value(0), QStringLiteral("로그인"));
        EXPECT_EQ(menuOpenedBy(*dialog().msnTree(), Qt::Key_F10, Qt::ShiftModifier).value(0), QStringLiteral("로그인"));
        click(app::kButtonIcq);
        EXPECT_EQ(menuOpenedBy(*dialog().icqTree(), Qt::Key_Menu).value(0), QStringLiteral("로그인"));
        click(app::kButtonMail);
        EXPECT_EQ(menuOpenedBy(*dialog().mailList(), Qt::Key_Menu), QStringList({ "REFRESH", "메일 쓰기" }));
        click(app::kButtonMyPc);
        ASSERT_NE(pcItem(QStringLiteral("PDA")), nullptr);
        dialog().pcTree()->setCurrentItem(pcItem(QStringLiteral("PDA")));
        EXPECT_EQ(menuOpenedBy(*dialog().pcTree(), Qt::Key_F10, Qt::ShiftModifier), QStringList({ "열기" }));
        // Other keys open nothing.
        EXPECT_TRUE(menuOpenedBy(*dialog().pcTree(), Qt::Key_F10, Qt::ControlModifier).isEmpty());
    }

    TEST_F(KeysWindowTest, EnterOpensTheSelectedFolderFileAndMail)
    {
        logIn();
        showWindow();
        click(app::kButtonMyPc);
        ASSERT_NE(pcItem(QStringLiteral("C:")), nullptr);
        dialog().pcTree()->setCurrentItem(pcItem(QStringLiteral("C:")));
        QTest::keyClick(dialog().pcTree(), Qt::Key_Return);
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(10, 306, "C:\\"));
        m_pc.answer(10, 306, ".1docs\n0a.txt\n");
        ASSERT_TRUE(runUntil([&] { return core().mypc().tree.find("C:\\a.txt") != nullptr; }));

        // A file: "보기", the PC converts it and the web view shows it.
        ASSERT_NE(pcItem(QStringLiteral("a.txt")), nullptr);
        dialog().pcTree()->setCurrentItem(pcItem(QStringLiteral("a.txt")));
        m_pc.serve("/pda_ReqDoc/a.txt", { 200, "변환된 문서" });
        QTest::keyClick(dialog().pcTree(), Qt::Key_Enter);
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 303, "C:\\a.txt"));
        m_pc.answer(0, 303, m_pc.webUrl("/pda_ReqDoc/a.txt"));
        ASSERT_TRUE(webShows(QStringLiteral("변환된 문서")));

        // A mail: "보기" asks the PC for its content.
        click(app::kButtonMail);
        m_ui.pushAnswer(platform::Answer::Ok);
        click(app::kMailRefresh);
        ASSERT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 304, ""));
        m_pc.answer(0, 304, ".hi\ta@x\tpop.x\tu1\n\n");
        auto* list = dialog().mailList();
        ASSERT_TRUE(runUntil([&] { return list->topLevelItemCount() > 0; }));
        list->setCurrentItem(list->topLevelItem(0));
        m_pc.serve("/pda_Mail/kim/u1/u1", { 200, "", true });
        QTest::keyClick(list, Qt::Key_Return);
        const std::string asked = m_pc.nextRequest();
        EXPECT_TRUE(asked.starts_with("0xx0:1 0xx1:305 0xx2:")) << asked;
        EXPECT_TRUE(asked.ends_with("\npop.x\nu1")) << asked;
    }

    TEST_F(KeysWindowTest, SearchResultRowsOpenAndShowTheirMenuByKey)
    {
        logIn();
        showWindow();
        click(app::kButtonMyPc);
        whenModal<QtSearchDialog>([](QtSearchDialog& search) {
            search.wordEdit()->setText(QStringLiteral("b"));
            search.okButton()->click();
        });
        m_pc.serve("/Searchfilelist", { 200, "a.txt\nb.txt\n" });
        m_pc.serve("/Searchpathlist", { 200, "C:\\a.txt\nC:\\tmp\\b.txt\n" });
        m_pc.serve("/Searchsizelist", { 200, "12\n34\n" });
        press("C:", "검색");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 307, "0\n50\nC:\n\nb"));
        m_pc.answer(2, 307, "");
        auto* results = dialog().searchResults();
        ASSERT_TRUE(runUntil([&] { return results->topLevelItemCount() == 2; }));

        results->setCurrentItem(results->topLevelItem(1));
        EXPECT_EQ(menuOpenedBy(*results, Qt::Key_Menu), QStringList({ "보기", "PDA로 가져오기", "메일 첨부전송", "등록정보" }));
        QTest::keyClick(results, Qt::Key_Return);
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 303, "C:\\tmp\\b.txt"));
    }

} // namespace
} // namespace gui::handheld
