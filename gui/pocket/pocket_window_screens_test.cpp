// Every page of the handheld window drawn with content in it: My PC, the
// search results, the web view, the mail list, the composer, MSN, ICQ and
// the pen composer. Each page is rendered to a picture, which must show
// the Korean texts with real glyphs. With QUILLON_SCREENS=FOLDER set the
// pictures are written there as PNG files (the README's screenshots:
// `QUILLON_SCREENS=doc/screenshots build/debug/gui/pocket/quillon_pocket_gui_tests
// --gtest_filter='Screens*'`).

#include "gui/ink/qt_ink_composer_window.h"
#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_msn_tree.h"
#include "gui/pocket/testing/pc_window_fixture.h"
#include "pocket/app/server_address.h"
#include "pocket/icq/contact_file.h"
#include "pocket/icq/message_text.h"
#include "pocket/icq/testing/live_handheld.h"
#include "pocket/icq/testing/scripted_oscar_server.h"
#include "pocket/msn/testing/live_handheld.h"
#include "pocket/msn/testing/scripted_msn_server.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTextEdit>

#include <cstdlib>
#include <fstream>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using testing::itemStartingWith;
    using testing::openWindow;
    using testing::ScriptedPc;

    // Renders the widget; the picture must not be blank, its fonts must hold
    // Hangul. Written to $QUILLON_SCREENS/pocket-page-NAME.png when that is set.
    void shoot(QWidget& widget, const char* name)
    {
        QCoreApplication::processEvents();
        const QImage image = widget.grab().toImage();
        ASSERT_FALSE(image.isNull()) << name;
        // More than one colour: something was drawn.
        const QRgb first = image.pixel(0, 0);
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; y += 3) {
            for (int x = 0; x < image.width() && !drawn; x += 3)
                drawn = image.pixel(x, y) != first;
        }
        EXPECT_TRUE(drawn) << name;
        // "한글": a font without the syllables would draw boxes.
        const QFontMetrics metrics(widget.font());
        for (char32_t syllable : { U'\uD55C', U'\uAE00' })
            EXPECT_TRUE(metrics.inFontUcs4(syllable)) << name << ": " << widget.font().family().toStdString();
        if (const char* folder = std::getenv("QUILLON_SCREENS")) {
            EXPECT_TRUE(image.save(QString::fromUtf8(folder) + "/pocket-page-" + name + ".png")) << name;
        }
    }

    // Drawn at the default scale, as the program starts on most screens.
    class ScreensPcTest : public testing::PcWindowTest {
    protected:
        ScreensPcTest() { m_screen = { kDefaultScale }; }
    };

    TEST_F(ScreensPcTest, MyPcSearchResultsViewerMailListAndComposer)
    {
        logIn();
        click(app::kButtonMyPc);
        press("C:", "열기");
        (void)m_pc.nextRequest();
        m_pc.answer(10, 306, ".1문서\n1사진\n0보고서.hwp\n0회의록.txt\n");
        ASSERT_TRUE(runUntil([&] { return core().mypc().tree.find("C:\\회의록.txt") != nullptr; }));
        shoot(gui().window(), "mypc");

        core().mypc().search.start("C:", "보고서");
        (void)m_pc.nextRequest();
        m_pc.serve("/Searchfilelist", { 200, "보고서.hwp\n주간보고서.doc\n보고서-초안.txt\n" });
        m_pc.serve("/Searchpathlist", { 200, "C:\\보고서.hwp\nC:\\문서\\주간보고서.doc\nC:\\문서\\보고서-초안.txt\n" });
        m_pc.serve("/Searchsizelist", { 200, "48128\n30720\n1874\n" });
        m_pc.answer(3, 307, "");
        ASSERT_TRUE(runUntil([&] { return dialog().searchResults()->topLevelItemCount() == 3; }));
        shoot(gui().window(), "search-results");

        m_pc.serve("/welcome.html",
            { 200, "<h3>Quillon</h3><p>PC의 문서를 손 안에서 봅니다.</p><ul><li>보고서.hwp</li><li>회의록.txt</li></ul>" });
        click(app::kResultsSwitch);
        click(app::kScreenChangePc);
        dialog().addressBox()->setCurrentText(QString::fromStdString(m_pc.webUrl("/welcome.html")));
        click(app::kGoButton);
        ASSERT_TRUE(webShows(QStringLiteral("손 안에서")));
        shoot(gui().window(), "viewer");

        click(app::kButtonMail);
        m_ui.pushAnswer(platform::Answer::Ok);
        click(app::kMailRefresh);
        (void)m_pc.nextRequest();
        m_pc.answer(0, 304,
            ".주간 회의 안내\tlee@example.com\tpop.example.com\tm1\n견적서 보내드립니다\tpark@example.com\t"
            "pop.example.com\tm2\n안녕하세요\tkim@example.net\tmail.example.net\tm3\n\n");
        ASSERT_TRUE(runUntil([&] { return dialog().mailList()->topLevelItemCount() == 3; }));
        shoot(gui().window(), "mail-list");

        click(app::kMailWrite);
        QtMailComposer& composer = gui().mailComposer();
        // The attachment through the core; the window shows it when opened.
        ASSERT_TRUE(core().mail().composer.addAttachment("C:\\보고서.hwp"));
        composer.openComposer();
        composer.toEdit()->setText(QStringLiteral("lee@example.com"));
        composer.subjectEdit()->setText(QStringLiteral("회의 자료"));
        composer.bodyEdit()->setPlainText(QStringLiteral("내일 회의 자료를 첨부합니다.\n확인 부탁드립니다."));
        // The composer fits the handheld's screen.
        const int screenWidth = gui().window().screen().px(kScreenWidth);
        EXPECT_LE(composer.minimumSizeHint().width(), screenWidth);
        EXPECT_LE(composer.width(), screenWidth);
        shoot(composer, "composer");
        composer.hide();
    }

    class ScreensMessengerTest : public testing::PocketWindowTest {
    protected:
        ScreensMessengerTest()
        {
            m_screen = { kDefaultScale };
            setValue(app::kMsnServerValue, "127.0.0.1:" + std::to_string(m_msn.port()));
            setValue("MSNID", "me@x.com");
            setValue("MSNPASS", "pw");
            setValue(app::kIcqServerValue, "127.0.0.1:" + std::to_string(m_icq.port()));
            setValue("ICQID", "11111");
            setValue("ICQPASS", "pw");
            const auto file = ::pocket::icq::contactFilePath(m_home / "device", 11111);
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << "22222/33333/";
        }

        ::pocket::msn::testing::ScriptedMsnServer m_msn { { { "me@x.com", "pw", "민수", { "bee@x.com", "cee@x.com" } },
            { "bee@x.com", "pw", "지영", { "me@x.com" } }, { "cee@x.com", "pw", "Chris", { "me@x.com" } } } };
        ::pocket::icq::testing::ScriptedOscarServer m_icq { { { "11111", "pw", "민수" }, { "22222", "pw", "지영" },
            { "33333", "pw", "Chris" } } };
    };

    TEST_F(ScreensMessengerTest, MsnIcqAndThePenComposer)
    {
        ::pocket::msn::testing::LiveHandheld bee(gui().loop(), m_msn.port(), "bee@x.com", "pw");
        bee.page.onCommand(::pocket::msn::command::kLogin);
        ASSERT_TRUE(runUntil([&] { return m_msn.isOnline("bee@x.com"); }));
        click(app::kButtonMsn);
        core().msn().page.onCommand(::pocket::msn::command::kLogin);
        ASSERT_TRUE(runUntil([&] { return itemStartingWith(*dialog().msnTree(), QStringLiteral("지영 (온라인)")) != nullptr; }));
        shoot(gui().window(), "msn");

        ::pocket::icq::testing::LiveHandheld icqBee(gui().loop(), m_icq.port(), "22222", "pw", { "11111" });
        icqBee.connect();
        ASSERT_TRUE(runTicking([&] { return m_icq.isOnline("22222"); }));
        click(app::kButtonIcq);
        (void)core().icq().page.onCommand(::pocket::icq::command::kConnect, "");
        ASSERT_TRUE(runTicking([&] { return itemStartingWith(*dialog().icqTree(), QStringLiteral("지영 (온라인)")) != nullptr; }));
        shoot(gui().window(), "icq");

        // The pen composer over MSN's "펜 메세지" to a contact.
        click(app::kButtonMsn);
        dialog().msnTree()->setCurrentItem(itemStartingWith(*dialog().msnTree(), QStringLiteral("지영")));
        std::unique_ptr<QMenu> menu(gui().msnTree().buildMenu(nullptr));
        QAction* pen = entry(menu.get(), QStringLiteral("펜 메세지"));
        ASSERT_NE(pen, nullptr);
        pen->trigger();
        gui::ink::QtInkComposerWindow* composer = nullptr;
        ASSERT_TRUE(runUntil([&] { return (composer = openWindow<gui::ink::QtInkComposerWindow>()) != nullptr; }));
        shoot(*composer, "pen-composer");
        composer->close();
    }

} // namespace
} // namespace gui::handheld
