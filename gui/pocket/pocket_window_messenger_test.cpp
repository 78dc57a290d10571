// The MSN and ICQ pages of the handheld window, pressed entry by entry
// against scripted messenger servers, with a second handheld (core only) on
// the other end.

#include "gui/ink/qt_ink_composer_window.h"
#include "gui/pocket/qt_icq_tree.h"
#include "gui/pocket/qt_messenger_dialogs.h"
#include "gui/pocket/qt_msn_chat_window.h"
#include "gui/pocket/qt_msn_tree.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/testing/pocket_window_fixture.h"
#include "pocket/app/server_address.h"
#include "pocket/device/device_root.h"
#include "pocket/icq/contact_file.h"
#include "pocket/icq/testing/live_handheld.h"
#include "pocket/icq/testing/scripted_oscar_server.h"
#include "pocket/msn/testing/live_handheld.h"
#include "pocket/msn/testing/scripted_msn_server.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QTreeWidget>

#include <fstream>
#include <sstream>

namespace gui::handheld {
namespace {

    using testing::whenModal;
    namespace msn = ::pocket::msn;
    namespace icq = ::pocket::icq;

    using testing::labelTexts;

    using testing::itemStartingWith;
    using testing::openWindow;

    bool anyContains(const std::vector<std::string>& lines, std::string_view part)
    {
        return std::any_of(lines.begin(), lines.end(), [&](const auto& line) { return line.find(part) != std::string::npos; });
    }

    std::string fileText(const std::filesystem::path& file)
    {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    class MsnWindowTest : public testing::PocketWindowTest {
    protected:
        MsnWindowTest()
        {
            setValue(::pocket::app::kMsnServerValue, "127.0.0.1:" + std::to_string(m_server.port()));
            setValue("MSNID", "me@x.com");
            setValue("MSNPASS", "pw");
        }

        QtMsnTree& tree() { return gui().msnTree(); }
        QTreeWidget& widget() { return *dialog().msnTree(); }
        // A fresh menu for the selected item, and one of its entries pressed.
        void press(const QString& text)
        {
            std::unique_ptr<QMenu> menu(tree().buildMenu(nullptr));
            QAction* action = entry(menu.get(), text);
            ASSERT_NE(action, nullptr) << text.toStdString();
            ASSERT_TRUE(action->isEnabled()) << text.toStdString();
            action->trigger();
        }
        QStringList menuTexts()
        {
            std::unique_ptr<QMenu> menu(tree().buildMenu(nullptr));
            return texts(menu.get());
        }
        bool received(std::string_view part) { return anyContains(m_server.received("me@x.com"), part); }
        void selectContact(const QString& name)
        {
            QTreeWidgetItem* item = itemStartingWith(widget(), name);
            ASSERT_NE(item, nullptr) << name.toStdString();
            widget().setCurrentItem(item);
        }

        msn::testing::ScriptedMsnServer m_server { { { "me@x.com", "pw", "Me", { "bee@x.com" } },
            { "bee@x.com", "pw", "Bee", { "me@x.com" } } } };
    };

    TEST_F(MsnWindowTest, PageMenuLogsInSetsEveryStatusAndEditsTheList)
    {
        msn::testing::LiveHandheld bee(gui().loop(), m_server.port(), "bee@x.com", "pw");
        bee.page.onCommand(msn::command::kLogin);
        ASSERT_TRUE(runUntil([&] { return m_server.isOnline("bee@x.com"); }));

        // Before the log-in: the account's line and the offline picture.
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("me@x.com (오프라인)"));
        EXPECT_EQ(tree().statusBitmap(), 153);
        EXPECT_FALSE(widget().headerItem()->icon(0).isNull());
        EXPECT_EQ(menuTexts(),
            QStringList({ "로그인", "로그아웃", "내 상태", "대화 상대 추가", "대화명 변경", "My Contacts에 친구 추가" }));

        press(QStringLiteral("로그인"));
        ASSERT_TRUE(runUntil([&] { return itemStartingWith(widget(), QStringLiteral("Bee (온라인)")) != nullptr; }))
            << widget().headerItem()->text(0).toStdString();
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("Me (온라인)"));
        EXPECT_EQ(tree().statusBitmap(), 150);
        EXPECT_FALSE(itemStartingWith(widget(), QStringLiteral("Bee"))->icon(0).isNull());

        // Every entry of "내 상태" sends its status word.
        const struct {
            const char* text;
            const char* word;
            int bitmap;
        } statuses[] = { { "다른 용무중", " BSY", 152 }, { "곧 돌아오겠음", " BRB", 154 }, { "자리비움", " AWY", 154 },
            { "통화중", " PHN", 152 }, { "식사중", " LUN", 154 }, { "오프라인으로 표시", " HDN", 153 },
            { "온라인", " NLN", 150 } };
        for (const auto& status : statuses) {
            SCOPED_TRACE(status.text);
            const auto before = m_server.received("me@x.com").size();
            press(QString::fromUtf8(status.text));
            ASSERT_TRUE(runUntil([&] {
                const auto lines = m_server.received("me@x.com");
                return lines.size() > before && lines.back().find(std::string("CHG ")) == 0
                    && lines.back().find(status.word) != std::string::npos && tree().statusBitmap() == status.bitmap;
            }));
        }

        // "대화 상대 추가": dialog 125 with its own caption and label.
        whenModal<QtTextEntryDialog>([](QtTextEntryDialog& entry) {
            EXPECT_EQ(entry.windowTitle(), QStringLiteral("MSN - 대화상대 추가"));
            EXPECT_EQ(entry.label()->text(), QStringLiteral("대화상대의 메일주소를  입력하세요."));
            entry.entry()->setText(QStringLiteral("new@x.com"));
            entry.okButton()->click();
        });
        press(QStringLiteral("대화 상대 추가"));
        ASSERT_TRUE(runUntil([&] { return received("ADD ") && received("new@x.com"); }));

        // "대화명 변경": the same dialog, filled with the own name.
        whenModal<QtTextEntryDialog>([](QtTextEntryDialog& entry) {
            EXPECT_EQ(entry.windowTitle(), QStringLiteral("대화명 변경"));
            EXPECT_EQ(entry.entry()->text(), QStringLiteral("Me"));
            entry.entry()->setText(QStringLiteral("Me Two"));
            entry.okButton()->click();
        });
        press(QStringLiteral("대화명 변경"));
        ASSERT_TRUE(runUntil([&] { return received("REA ") && received("Me%20Two"); }));

        press(QStringLiteral("My Contacts에 친구 추가"));
        EXPECT_EQ(m_ui.lastText(), "My Contact에 추가하였습니다.");
        EXPECT_NE(fileText(m_home / "device" / "Contacts.vcf").find("bee@x.com"), std::string::npos);

        press(QStringLiteral("로그아웃"));
        EXPECT_EQ(tree().statusBitmap(), 153);
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("me@x.com (오프라인)"));
    }

    TEST_F(MsnWindowTest, ContactMenuAndChatWindowButtons)
    {
        msn::testing::LiveHandheld bee(gui().loop(), m_server.port(), "bee@x.com", "pw");
        bee.page.onCommand(msn::command::kLogin);
        press(QStringLiteral("로그인"));
        ASSERT_TRUE(runUntil([&] { return itemStartingWith(widget(), QStringLiteral("Bee (온라인)")) != nullptr; }));
        selectContact(QStringLiteral("Bee"));
        EXPECT_EQ(menuTexts(),
            QStringList({ "인스턴트 메세지", "펜 메세지", "메일 보내기", "대화 상대 제거", "사용자정보", "My Contact에 추가" }));

        // "사용자정보": dialog 129 with "Email :" and "State :".
        whenModal<QtContactInfoDialog>([](QtContactInfoDialog& info) {
            EXPECT_EQ(info.windowTitle(), QStringLiteral("MSN - 등록정보"));
            const QStringList labels = labelTexts(info);
            for (const char* text : { "Bee", "Email :", "bee@x.com", "State :", "온라인" })
                EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text << " in " << labels.join('|').toStdString();
            info.accept();
        });
        press(QStringLiteral("사용자정보"));
        press(QStringLiteral("메일 보내기"));
        EXPECT_EQ(m_mail.addresses, std::vector<std::string>({ "bee@x.com" }));
        // The copy goes through the main dialog (4031).
        press(QStringLiteral("My Contact에 추가"));
        EXPECT_TRUE(runUntil([&] { return m_ui.lastText() == "My Contact에 추가하였습니다."; }));

        // "인스턴트 메세지": the chat window with "SEND", "INV" and "PEN".
        press(QStringLiteral("인스턴트 메세지"));
        QtMsnChatWindow* chat = nullptr;
        ASSERT_TRUE(runUntil([&] {
            chat = openWindow<QtMsnChatWindow>();
            return chat && chat->windowTitle() == QStringLiteral("bee@x.com");
        }));
        EXPECT_EQ(chat->send->text(), QStringLiteral("SEND"));
        EXPECT_EQ(chat->invite->text(), QStringLiteral("INV"));
        EXPECT_EQ(chat->pen->text(), QStringLiteral("PEN"));
        chat->input->setText(QStringLiteral("안녕하세요"));
        chat->send->click();
        ASSERT_TRUE(runUntil([&] { return received("안녕하세요"); }));
        EXPECT_TRUE(chat->log->toPlainText().contains(QStringLiteral("안녕하세요")));

        // "INV": the contact chooser, a tree with status pictures.
        whenModal<QtContactChooser>([](QtContactChooser& chooser) {
            EXPECT_EQ(chooser.windowTitle(), QStringLiteral("MSN - 초대하기"));
            EXPECT_EQ(chooser.chooseButton()->text(), QStringLiteral("선택"));
            EXPECT_EQ(chooser.cancelButton()->text(), QStringLiteral("취소"));
            ASSERT_EQ(chooser.tree()->topLevelItemCount(), 2);
            EXPECT_EQ(chooser.tree()->topLevelItem(0)->text(0), QStringLiteral("온라인 사용자"));
            QTreeWidgetItem* bee = chooser.tree()->topLevelItem(0)->child(0);
            ASSERT_NE(bee, nullptr);
            EXPECT_FALSE(bee->icon(0).isNull());
            chooser.tree()->setCurrentItem(bee);
            chooser.chooseButton()->click();
        });
        chat->invite->click();
        ASSERT_TRUE(runUntil([&] { return received("CAL ") && anyContains(m_server.received("me@x.com"), "CAL"); }));

        // "PEN": the pen editor opens over the one-to-one chat.
        chat->pen->click();
        ASSERT_TRUE(runUntil([&] { return openWindow<gui::ink::QtInkComposerWindow>() != nullptr; }));
        // "펜 메세지" from the tree while that editor is open is refused.
        press(QStringLiteral("펜 메세지"));
        EXPECT_EQ(m_ui.lastText(), "이미 잉크메세지를 작성중입니다.");

        m_ui.pushAnswer(platform::Answer::Ok);
        press(QStringLiteral("대화 상대 제거"));
        EXPECT_EQ(m_ui.calls().back().text, "\"Bee\"\n님을 삭제하시겠습니까?");
        ASSERT_TRUE(runUntil([&] { return received("REM ") && received("bee@x.com"); }));
    }

    class IcqWindowTest : public testing::PocketWindowTest {
    protected:
        IcqWindowTest()
        {
            setValue(::pocket::app::kIcqServerValue, "127.0.0.1:" + std::to_string(m_server.port()));
            setValue("ICQID", "11111");
            setValue("ICQPASS", "pw");
            // Bee is on the stored list.
            const auto file = icq::contactFilePath(m_home / "device", 11111);
            std::filesystem::create_directories(file.parent_path());
            std::ofstream(file) << "22222/";
        }

        QtIcqTree& tree() { return gui().icqTree(); }
        QTreeWidget& widget() { return *dialog().icqTree(); }
        void press(const QString& text)
        {
            std::unique_ptr<QMenu> menu(tree().buildMenu(nullptr));
            QAction* action = entry(menu.get(), text);
            ASSERT_NE(action, nullptr) << text.toStdString();
            ASSERT_TRUE(action->isEnabled()) << text.toStdString();
            action->trigger();
        }
        QStringList menuTexts()
        {
            std::unique_ptr<QMenu> menu(tree().buildMenu(nullptr));
            return texts(menu.get());
        }
        void logIn(icq::testing::LiveHandheld& bee)
        {
            bee.connect();
            ASSERT_TRUE(runTicking([&] { return m_server.isOnline("22222"); }));
            press(QStringLiteral("로그인"));
            ASSERT_TRUE(runTicking([&] { return itemStartingWith(widget(), QStringLiteral("Bee (온라인)")) != nullptr; }))
                << dump().toStdString();
        }
        QString dump()
        {
            QStringList lines { widget().headerItem()->text(0) };
            for (auto* item : widget().findItems(QString(), Qt::MatchContains | Qt::MatchRecursive))
                lines << item->text(0);
            return lines.join('|');
        }
        std::vector<std::string> sent() { return m_server.messagesFrom("11111"); }

        icq::testing::ScriptedOscarServer m_server { { { "11111", "pw", "Me" }, { "22222", "pw", "Bee" },
            { "33333", "pw", "Cee" } } };
    };

    TEST_F(IcqWindowTest, PageMenuShowsTheNumberLogsInAndReachesEveryCommand)
    {
        icq::testing::LiveHandheld bee(gui().loop(), m_server.port(), "22222", "pw", { "11111" });
        // Before the first sign-on the line names the configured number.
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("11111 (오프라인)"));
        EXPECT_EQ(tree().ownStatusBitmap(), 114);
        EXPECT_EQ(menuTexts(),
            QStringList({ "로그인", "로그아웃", "상태변경", "친구추가", "동보메세지보내기", "My Contacts에 친구 추가" }));
        logIn(bee);
        EXPECT_EQ(tree().ownStatusBitmap(), 116);
        EXPECT_FALSE(widget().headerItem()->icon(0).isNull());

        const struct {
            const char* text;
            std::uint32_t status;
            int bitmap;
        } statuses[] = { { "채팅가능", 32, 122 }, { "자리비움", 1, 118 }, { "잠깐자리비움", 4, 119 },
            { "급한 용무중", 16, 115 }, { "방해하지마시오", 18, 120 }, { "오프라인으로 표시", 256, 121 },
            { "온라인", 0, 116 } };
        for (const auto& status : statuses) {
            SCOPED_TRACE(status.text);
            press(QString::fromUtf8(status.text));
            EXPECT_EQ(core().icq().session.ownStatus(), status.status);
            EXPECT_EQ(tree().ownStatusBitmap(), status.bitmap);
        }

        // "친구추가": the add dialog takes digits only.
        whenModal<QtTextEntryDialog>([](QtTextEntryDialog& entry) {
            EXPECT_EQ(entry.windowTitle(), QStringLiteral("ICQ - Add/Invite Users"));
            EXPECT_EQ(entry.label()->text(), QStringLiteral("사용자 ICQ number를 입력하세요."));
            ASSERT_NE(entry.entry()->validator(), nullptr);
            QString letters = QStringLiteral("12a");
            int position = 0;
            EXPECT_EQ(entry.entry()->validator()->validate(letters, position), QValidator::Invalid);
            entry.entry()->setText(QStringLiteral("33333"));
            entry.okButton()->click();
        });
        press(QStringLiteral("친구추가"));
        ASSERT_TRUE(runTicking([&] {
            const auto buddies = m_server.buddiesOf("11111");
            return std::find(buddies.begin(), buddies.end(), "33333") != buddies.end();
        }));

        // "동보메세지보내기": dialog 126, one message per checked contact.
        whenModal<QtBroadcastDialog>([](QtBroadcastDialog& broadcast) {
            EXPECT_EQ(broadcast.windowTitle(), QStringLiteral("ICQ - 동보메세지"));
            EXPECT_EQ(broadcast.list()->headerItem()->text(0), QStringLiteral("Nick"));
            EXPECT_EQ(broadcast.list()->headerItem()->text(1), QStringLiteral("ICQ #"));
            EXPECT_EQ(broadcast.sendButton()->text(), QStringLiteral("전송"));
            ASSERT_EQ(broadcast.list()->topLevelItemCount(), 2);
            for (int i = 0; i < 2; ++i)
                broadcast.list()->topLevelItem(i)->setCheckState(0, Qt::Checked);
            broadcast.text()->setPlainText(QStringLiteral("모두 안녕"));
            broadcast.sendButton()->click();
        });
        press(QStringLiteral("동보메세지보내기"));
        ASSERT_TRUE(runTicking([&] {
            const auto messages = sent();
            return std::count(messages.begin(), messages.end(), "모두 안녕") == 2;
        }));

        press(QStringLiteral("My Contacts에 친구 추가"));
        EXPECT_EQ(m_ui.lastText(), "My Contact에 추가하였습니다.");

        m_ui.pushAnswer(platform::Answer::Ok);
        press(QStringLiteral("로그아웃"));
        EXPECT_EQ(m_ui.calls().back().text, "로그아웃 하시겠습니까?");
        EXPECT_EQ(tree().ownStatusBitmap(), 114);
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("11111 (오프라인)"));
    }

    TEST_F(IcqWindowTest, ContactMenuAndMessageWindowButtons)
    {
        icq::testing::LiveHandheld bee(gui().loop(), m_server.port(), "22222", "pw", { "11111" });
        logIn(bee);
        widget().setCurrentItem(itemStartingWith(widget(), QStringLiteral("Bee")));
        EXPECT_EQ(menuTexts(),
            QStringList({ "인스턴트 메세지", "펜 메세지", "메일 보내기", "친구 삭제", "사용자정보", "My Contact에 추가" }));

        whenModal<QtContactInfoDialog>([](QtContactInfoDialog& info) {
            EXPECT_EQ(info.windowTitle(), QStringLiteral("ICQ - 22222"));
            const QStringList labels = labelTexts(info);
            for (const char* text : { "Nick : Bee", "Email :", "22222@icq.example", "State :", "온라인", "First :", "Last :" })
                EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text << " in " << labels.join('|').toStdString();
            info.accept();
        });
        press(QStringLiteral("사용자정보"));
        press(QStringLiteral("메일 보내기"));
        EXPECT_EQ(m_mail.addresses, std::vector<std::string>({ "22222@icq.example" }));
        press(QStringLiteral("My Contact에 추가"));
        EXPECT_EQ(m_ui.lastText(), "My Contact에 추가하였습니다.");

        // "인스턴트 메세지": the message window with "SEND", "ADD" and "PEN".
        press(QStringLiteral("인스턴트 메세지"));
        QWidget* window = nullptr;
        ASSERT_TRUE(runTicking([&] { return (window = testing::PocketWindowTest::window(QStringLiteral("ICQ - Bee (온라인)"))); }));
        QPushButton* send = nullptr;
        QPushButton* add = nullptr;
        QPushButton* pen = nullptr;
        for (auto* button : window->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("SEND"))
                send = button;
            else if (button->text() == QStringLiteral("ADD"))
                add = button;
            else if (button->text() == QStringLiteral("PEN"))
                pen = button;
        }
        ASSERT_TRUE(send && add && pen);
        window->findChild<QLineEdit*>()->setText(QStringLiteral("hi bee"));
        send->click();
        ASSERT_TRUE(runTicking([&] { return anyContains(sent(), "hi bee"); }));
        EXPECT_TRUE(window->findChild<QTextEdit*>()->toPlainText().contains(QStringLiteral("Me : hi bee")));
        add->click();
        EXPECT_EQ(m_ui.lastText(), "My Contacts에 등록된 사용자입니다.");
        pen->click();
        ASSERT_TRUE(runTicking([&] { return openWindow<gui::ink::QtInkComposerWindow>() != nullptr; }));
        ASSERT_TRUE(runTicking([&] { return anyContains(sent(), "\x07\x07" "4"); }));

        // A message from someone outside the list: "ADD" asks and adds.
        m_server.sendChannelOne("11111", "33333", 0, "hello");
        QWidget* stranger = nullptr;
        ASSERT_TRUE(runTicking(
            [&] { return (stranger = testing::PocketWindowTest::window(QStringLiteral("ICQ - 33333 (Unknown Online User)"))); }));
        m_ui.pushAnswer(platform::Answer::Ok);
        for (auto* button : stranger->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("ADD"))
                button->click();
        }
        EXPECT_EQ(m_ui.calls().back().text, "33333\n님을 친구로 추가하시겠습니까?");
        EXPECT_NE(core().icq().messenger.contacts().find("33333"), nullptr);

        // "친구 삭제" on Bee.
        widget().setCurrentItem(itemStartingWith(widget(), QStringLiteral("Bee")));
        m_ui.pushAnswer(platform::Answer::Ok);
        press(QStringLiteral("친구 삭제"));
        EXPECT_EQ(core().icq().messenger.contacts().find("22222"), nullptr);
    }

    TEST_F(IcqWindowTest, ChangedAccountAsksToLogInAgain)
    {
        icq::testing::LiveHandheld bee(gui().loop(), m_server.port(), "22222", "pw", { "11111" });
        bee.connect();
        ASSERT_TRUE(runTicking([&] { return m_server.isOnline("22222"); }));
        auto changeNumber = [&](const char* number, platform::Answer relogin) {
            core().frame().onCommand(::pocket::app::kCmdOptions);
            auto& sheet = gui().optionsSheet();
            sheet.accounts().msn->setChecked(false);
            sheet.accounts().icq->setChecked(true);
            sheet.accounts().icqId->setText(QString::fromUtf8(number));
            sheet.accounts().icqPassword->setText(QStringLiteral("pw"));
            m_ui.pushAnswer(platform::Answer::Ok); // "설정하시겠습니까?"
            m_ui.pushAnswer(relogin);
            sheet.applyPage(::pocket::settings::OptionsPage::Accounts);
            gui().loop().processPending();
        };
        changeNumber("33333", platform::Answer::Cancel);
        EXPECT_EQ(m_ui.calls().back().text, "ICQ사용자 정보가 변경되었습니다. \n로그인 하시겠습니까?");
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("33333 (오프라인)"));
        EXPECT_FALSE(m_server.isOnline("33333"));

        changeNumber("11111", platform::Answer::Ok);
        ASSERT_TRUE(runTicking([&] { return m_server.isOnline("11111"); }));
        EXPECT_EQ(widget().headerItem()->text(0), QStringLiteral("11111 (온라인)"));
    }

} // namespace
} // namespace gui::handheld
