// The My PC view, the web view and the frame of the handheld window,
// pressed button by button and entry by entry against a scripted PC.

#include "gui/ink/qt_pen_message_box.h"
#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_mypc_view.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_search_dialog.h"
#include "gui/pocket/qt_title_band.h"
#include "gui/pocket/testing/pc_window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QTextBrowser>
#include <QTreeWidget>

#include <fstream>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    namespace mypc = ::pocket::mypc;
    using testing::ScriptedPc;
    using testing::whenModal;

    using testing::labelTexts;

    using PcWindowTest = testing::PcWindowTest;

    TEST_F(PcWindowTest, TreeMenusOpenSearchAndReachEveryCommand)
    {
        logIn();
        click(app::kButtonMyPc);
        EXPECT_EQ(menuOf("C:"), QStringList({ "열기", "검색" }));

        press("C:", "열기");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(10, 306, "C:\\"));
        m_pc.answer(10, 306, ".1docs\n0a.txt\n");
        ASSERT_TRUE(runUntil([&] { return core().mypc().tree.find("C:\\a.txt") != nullptr; }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(!dialog().pcTree()->findItems(QStringLiteral("a.txt"), Qt::MatchRecursive).isEmpty());
        EXPECT_EQ(menuOf("C:\\a.txt"), QStringList({ "보기", "PDA로 가져오기", "메일 첨부전송", "등록정보" }));
        EXPECT_EQ(menuOf("PDA"), QStringList({ "열기" }));

        press("C:\\a.txt", "등록정보");
        EXPECT_EQ(m_ui.lastText(), "C:\\a.txt");

        // "PDA로 가져오기": the question, 323, then the transfer with its dialog.
        m_pc.serve("/pda_Download/a.txt", { 200, "PC의 파일" });
        m_ui.pushAnswer(platform::Answer::Ok);
        press("C:\\a.txt", "PDA로 가져오기");
        EXPECT_EQ(m_ui.calls().back().text, "\"C:\\a.txt\" 을 받으시겠습니까?");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 323, "C:\\a.txt"));
        m_pc.answer(10, 323, "C:\\a.txt[_F_I_]a.txt");
        ASSERT_TRUE(runUntil([&] { return m_ui.lastText() == "파일다운로드 폴더에 저장되었습니다.\n\n\\Program Files\\Quillon\\받은파일\\a.txt"; }));
        std::ifstream saved(m_home / "device" / "Program Files" / "Quillon" / "받은파일" / "a.txt");
        std::string body((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
        EXPECT_EQ(body, "PC의 파일");

        // "메일 첨부전송": the composer with the PC file attached.
        press("C:\\a.txt", "메일 첨부전송");
        EXPECT_TRUE(gui().mailComposer().isVisible());
        ASSERT_EQ(gui().mailComposer().attachmentList()->count(), 1);
        EXPECT_EQ(gui().mailComposer().attachmentList()->item(0)->text(), QStringLiteral("C:\\a.txt"));
        m_ui.pushAnswer(platform::Answer::Ok);
        gui().mailComposer().close();

        // "보기": the PC converts it and the web view shows it.
        m_pc.serve("/pda_ReqDoc/a.txt", { 200, "변환된 문서" });
        press("C:\\a.txt", "보기");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 303, "C:\\a.txt"));
        m_pc.answer(0, 303, m_pc.webUrl("/pda_ReqDoc/a.txt"));
        ASSERT_TRUE(webShows(QStringLiteral("변환된 문서")));
        EXPECT_TRUE(dialog().isControlShown(app::kWebView));
        EXPECT_EQ(core().web().viewer.mode(), ::pocket::viewer::WebViewer::Mode::Document);

        // The handheld's own files: "보기" and "PC로 보내기".
        click(app::kScreenChangePc);
        press("PDA", "열기");
        press("PDA\\Windows", "열기");
        EXPECT_EQ(menuOf("PDA\\Windows\\pda_hello.html"), QStringList({ "보기", "PC로 보내기", "메일 첨부전송", "등록정보" }));
        press("PDA\\Windows\\pda_hello.html", "보기");
        ASSERT_TRUE(webShows(QStringLiteral("Quillon")));
        click(app::kScreenChangePc);
        press("PDA\\Windows\\pda_hello.html", "PC로 보내기");
        ASSERT_TRUE(m_pc.acceptUpload());
        const std::string upload = m_pc.nextRequest();
        EXPECT_TRUE(upload.starts_with("0xx0:0 0xx1:309 0xx2:")) << upload;
        EXPECT_TRUE(upload.ends_with("\npda_hello.html\nkim")) << upload;
        m_pc.answer(1, 309, "");
        ASSERT_TRUE(runUntil([&] { return m_ui.lastText() == "pc에 파일 upload를 완료하였습니다!"; }));
    }

    TEST_F(PcWindowTest, SearchDialogStaysForAWordAndResultsPageInTheTab)
    {
        logIn();
        click(app::kButtonMyPc);
        // "검 색" with its labels; an empty word keeps it open.
        whenModal<QtSearchDialog>([this](QtSearchDialog& search) {
            EXPECT_EQ(search.windowTitle(), QStringLiteral("검 색"));
            const QStringList labels = labelTexts(search);
            EXPECT_TRUE(labels.contains(QStringLiteral("검색 범위 :"))) << labels.join('|').toStdString();
            EXPECT_TRUE(labels.contains(QStringLiteral("검색어 :")));
            EXPECT_EQ(search.scopeEdit()->text(), QStringLiteral("C:"));
            EXPECT_TRUE(search.scopeEdit()->isReadOnly());
            search.okButton()->click();
            EXPECT_EQ(m_ui.lastText(), "검색어를 입력하세요!");
            EXPECT_TRUE(search.isVisible());
            search.wordEdit()->setText(QStringLiteral("보고서"));
            search.okButton()->click();
        });
        m_pc.serve("/Searchfilelist", { 200, "보고서.hwp\nb.txt\n" });
        m_pc.serve("/Searchpathlist", { 200, "C:\\docs\\보고서.hwp\nC:\\tmp\\b.txt\n" });
        m_pc.serve("/Searchsizelist", { 200, "1200\n34\n" });
        press("C:", "검색");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 307, "0\n50\nC:\n\n보고서"));
        m_pc.answer(2, 307, "");
        ASSERT_TRUE(runUntil([&] { return dialog().searchResults()->topLevelItemCount() == 2; }));

        // The results take the tree's place, with "P" and "N".
        EXPECT_EQ(core().frame().screen(app::kViewMyPc), app::Screen::Results);
        EXPECT_TRUE(dialog().isControlShown(app::kSearchResults));
        EXPECT_FALSE(dialog().isControlShown(app::kMyPcTree));
        auto* results = dialog().searchResults();
        EXPECT_EQ(results->headerItem()->text(0), QStringLiteral("파일명"));
        EXPECT_EQ(results->headerItem()->text(1), QStringLiteral("파일 경로"));
        EXPECT_EQ(results->headerItem()->text(2), QStringLiteral("파일크기(BYTE)"));
        EXPECT_EQ(results->topLevelItem(0)->text(0), QStringLiteral("보고서.hwp"));
        click(app::kNextPageButton);
        EXPECT_EQ(m_ui.lastText(), "다음 데이터가없습니다");
        click(app::kPrevPageButton);
        EXPECT_EQ(m_ui.lastText(), "이전 데이터가 없습니다");
        // A row's menu is "PCF".
        std::unique_ptr<QMenu> menu(gui().myPcView().buildResultMenu(results->topLevelItem(1), nullptr));
        EXPECT_EQ(texts(menu.get()), QStringList({ "보기", "PDA로 가져오기", "메일 첨부전송", "등록정보" }));
        entry(menu.get(), QStringLiteral("등록정보"))->trigger();
        EXPECT_EQ(m_ui.lastText(), "C:\\tmp\\b.txt");

        // The switch goes back to the tree and to the results again.
        click(app::kResultsSwitch);
        EXPECT_TRUE(dialog().isControlShown(app::kMyPcTree));
        EXPECT_EQ(dialog().button(app::kResultsSwitch)->text(), QStringLiteral("검색결과"));
        click(app::kResultsSwitch);
        EXPECT_TRUE(dialog().isControlShown(app::kSearchResults));
        EXPECT_EQ(dialog().button(app::kResultsSwitch)->text(), QStringLiteral("트리"));
    }

    TEST_F(PcWindowTest, ProgressDialogCancelsAndOneTransferRunsAtATime)
    {
        logIn();
        click(app::kButtonMyPc);
        press("C:", "열기");
        (void)m_pc.nextRequest();
        m_pc.answer(10, 306, ".0big.bin\n");
        ASSERT_TRUE(runUntil([&] { return core().mypc().tree.find("C:\\big.bin") != nullptr; }));
        m_pc.serve("/pda_Download/big.bin", { 200, "", true });
        m_ui.pushAnswer(platform::Answer::Ok);
        press("C:\\big.bin", "PDA로 가져오기");
        (void)m_pc.nextRequest();
        m_pc.answer(100000, 323, "C:\\big.bin[_F_I_]big.bin");
        ASSERT_TRUE(runUntil([&] { return core().mypc().runner.isRunning(); }));
        QProgressDialog* progress = gui().myPcView().progressDialog();
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(progress->isVisible());

        // Saving a web page now asks about the download first.
        m_ui.pushAnswer(platform::Answer::Cancel);
        click(app::kScreenChangePc);
        click(app::kSaveButton);
        EXPECT_EQ(m_ui.calls().back().text, "현재 [파일 저장]을 하는 중입니다. 취소하시겠습니까?");
        EXPECT_TRUE(core().mypc().runner.isRunning());

        // The dialog's "취소" asks, then stops the transfer.
        QPushButton* cancel = nullptr;
        for (auto* button : progress->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("취소"))
                cancel = button;
        }
        ASSERT_NE(cancel, nullptr);
        m_ui.pushAnswer(platform::Answer::Ok);
        cancel->click();
        EXPECT_EQ(m_ui.calls().back().text, "취소하시겠습니까?");
        ASSERT_TRUE(runUntil([&] { return !core().mypc().runner.isRunning() && !progress->isVisible(); }));
    }

    TEST_F(PcWindowTest, WebButtonsAndThePagesOfPageViewAndDocumentView)
    {
        logIn();
        m_pc.serve("/one.html", { 200, "<p>첫 페이지</p>" });
        m_pc.serve("/two.html", { 200, "<p>둘째 페이지</p>" });
        click(app::kButtonMyPc);
        click(app::kScreenChangePc);
        // "GO" with an empty box only focuses it; then two pages.
        dialog().addressBox()->setCurrentText(QString());
        click(app::kGoButton);
        for (const char* page : { "/one.html", "/two.html" }) {
            dialog().addressBox()->setCurrentText(QString::fromStdString(m_pc.webUrl(page)));
            click(app::kGoButton);
        }
        ASSERT_TRUE(webShows(QStringLiteral("둘째 페이지")));
        click(app::kStopButton);
        click(app::kRefreshButton);
        ASSERT_TRUE(webShows(QStringLiteral("둘째 페이지")));

        // "P" and "N" go back and forward through the pages opened.
        click(app::kPrevPageButton);
        ASSERT_TRUE(webShows(QStringLiteral("첫 페이지")));
        click(app::kNextPageButton);
        ASSERT_TRUE(webShows(QStringLiteral("둘째 페이지")));
        click(app::kNextPageButton);
        EXPECT_EQ(m_ui.lastText(), "다음 데이터가없습니다");

        // "save": through the transfer worker, with its dialog and message.
        m_ui.pushAnswer(platform::Answer::Ok);
        click(app::kSaveButton);
        EXPECT_EQ(m_ui.calls().back().text, m_pc.webUrl("/two.html") + "를\n저장하시겠습니까?");
        ASSERT_TRUE(runUntil([&] { return m_ui.lastText() == "웹파일다운로드 폴더에 저장되었습니다.\n\n\\Program Files\\Quillon\\웹저장\\two.html"; }));
        EXPECT_TRUE(std::filesystem::exists(m_home / "device" / "Program Files" / "Quillon" / "웹저장" / "two.html"));

        // A document of page pictures: "Doc" and "View" switch, "P" and "N"
        // turn its pages through the PC's wrapper (313).
        m_pc.serve("/pda_ReqDoc/imageparsing.html",
            { 200, "<html><body><img src=\"" + m_pc.webUrl("/report/report0.gif") + "\"></body></html>" });
        m_pc.serve("/report/report0.gif", { 200, "GIF89a0" });
        m_pc.serve("/report/report1.gif", { 200, "GIF89a1" });
        core().web().viewer.viewPcFile("C:\\report.hwp");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 303, "C:\\report.hwp"));
        m_pc.answer(0, 303, m_pc.webUrl("/pda_ReqDoc/imageparsing.html"));
        ASSERT_TRUE(runUntil([&] { return core().web().viewer.mode() == ::pocket::viewer::WebViewer::Mode::Document; }));
        click(app::kNextPageButton);
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 313, m_pc.webUrl("/report/report1.gif")));
        // The wrapper of the second page has a name of its own, so that its
        // arrival shows in the address box.
        m_pc.answer(0, 313, m_pc.webUrl("/pda_ReqDoc/imageparsing1.html"));
        ASSERT_TRUE(runUntil([&] { return dialog().addressBox()->currentText().contains(QStringLiteral("imageparsing1")); }));
        click(app::kNextPageButton);
        EXPECT_EQ(m_ui.lastText(), "다음 데이터가없습니다");
        EXPECT_FALSE(m_pc.hasRequest());
        click(app::kPrevPageButton);
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 313, m_pc.webUrl("/report/report0.gif")));

        click(app::kWebViewButton);
        EXPECT_EQ(core().web().viewer.mode(), ::pocket::viewer::WebViewer::Mode::Page);
        ASSERT_TRUE(webShows(QStringLiteral("둘째 페이지")));
        click(app::kDocButton);
        EXPECT_EQ(core().web().viewer.mode(), ::pocket::viewer::WebViewer::Mode::Document);

        click(app::kHomeButton);
        ASSERT_TRUE(webShows(QStringLiteral("Quillon")));
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("\\Windows\\pda_hello.html"));
    }

    TEST_F(PcWindowTest, FrameMenusAndTheTitleBand)
    {
        // "View": the messengers' home pages and the about box.
        menuAction(app::kMenuBarDisconnected, app::kCmdMsnHome)->trigger();
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("http://www.msn.com/"));
        EXPECT_TRUE(dialog().isControlShown(app::kWebView));
        menuAction(app::kMenuBarDisconnected, app::kCmdIcqHome)->trigger();
        EXPECT_EQ(dialog().addressBox()->currentText(), QStringLiteral("http://www.icq.com/"));
        menuAction(app::kMenuBarDisconnected, app::kCmdAbout)->trigger();
        EXPECT_EQ(m_ui.calls().back().title, "Quillon");
        // "Tools".
        menuAction(app::kMenuBarDisconnected, app::kCmdPenMessages)->trigger();
        EXPECT_TRUE(gui().penMessageBox().isVisible());
        menuAction(app::kMenuBarDisconnected, app::kCmdDial)->trigger();
        EXPECT_EQ(m_ui.lastText(), "환경설정의 연결정보에\n 대한 정보가 없습니다. 설정해주세요.");
        menuAction(app::kMenuBarDisconnected, app::kCmdOptions)->trigger();
        EXPECT_TRUE(gui().optionsSheet().isVisible());
        gui().optionsSheet().close();

        // Connected: "접속끊기" asks and names the PC.
        logIn();
        EXPECT_EQ(gui().window().shownMenuBar(), app::kMenuBarConnected);
        m_ui.pushAnswer(platform::Answer::Ok);
        menuAction(app::kMenuBarConnected, app::kCmdDisconnect)->trigger();
        EXPECT_EQ(m_ui.calls().back().text, "접속을 종료하시겠습니까?");
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 311, "127.0.0.1"));

        // The title band: a tap at the start button's place opens the start
        // menu; elsewhere it does nothing.
        auto* band = gui().window().titleBand();
        band->onTap(100, 10);
        EXPECT_EQ(band->startTaps(), 0);
        band->onTap(10, 10);
        EXPECT_EQ(band->startTaps(), 1);
        ASSERT_NE(band->startMenu(), nullptr);
        EXPECT_TRUE(texts(band->startMenu()).contains(QStringLiteral("Quillon")));
        band->startMenu()->close();
        // Becoming active shows the band over the task bar again.
        gui().window().show();
        band->hide();
        gui().window().activateWindow();
        QApplication::setActiveWindow(&gui().window());
        ASSERT_TRUE(runUntil([&] { return band->isVisible(); }));
    }

} // namespace
} // namespace gui::handheld
