// The e-mail view and the composer of the handheld window, pressed button
// by button and entry by entry against a scripted PC.

#include "gui/pocket/qt_mail_composer.h"
#include "gui/pocket/qt_mail_dialogs.h"
#include "gui/pocket/qt_mail_view.h"
#include "gui/pocket/testing/pc_window_fixture.h"
#include "pocket/device/contact_store.h"
#include "pocket/device/vcard.h"
#include "pocket/settings/settings_store.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <fstream>

namespace gui::handheld {
namespace {

    namespace app = ::pocket::app;
    using testing::ScriptedPc;
    using testing::whenModal;

    class MailWindowTest : public testing::PcWindowTest {
    protected:
        // REFRESH on the list page; the PC answers with the list itself.
        void checkMail(const std::string& list)
        {
            click(app::kButtonMail);
            m_ui.pushAnswer(platform::Answer::Ok);
            click(app::kMailRefresh);
            ASSERT_EQ(m_pc.nextRequest(), ScriptedPc::request(0, 304, ""));
            m_pc.answer(0, 304, "." + list + "\n");
            ASSERT_TRUE(runUntil([&] { return dialog().mailList()->topLevelItemCount() > 0; }));
        }
        QTreeWidgetItem* row(const QString& name)
        {
            auto* list = dialog().mailList();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                if (list->topLevelItem(i)->text(3) == name)
                    return list->topLevelItem(i);
            }
            return nullptr;
        }
        QPushButton* composerButton(const QString& text)
        {
            for (auto* button : gui().mailComposer().findChildren<QPushButton*>()) {
                if (button->text() == text)
                    return button;
            }
            return nullptr;
        }
        std::filesystem::path deviceFile(const std::string& path) { return core().device().toLocal(path); }
    };

    TEST_F(MailWindowTest, ListColumnsMenusProgressHeaderBoxAndFormat)
    {
        logIn();
        checkMail("hi\ta@x\tpop.x\tu1\nyo\tb@x\tpop.y\tu2\n");
        auto* list = dialog().mailList();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        QStringList headers;
        for (int column = 0; column < list->columnCount(); ++column)
            headers << list->headerItem()->text(column);
        EXPECT_EQ(headers, QStringList({ "제목", "보낸사람", "POP3", "파일명" }));
        ASSERT_NE(row("u1"), nullptr);
        EXPECT_EQ(row("u1")->text(0), QStringLiteral("hi"));
        EXPECT_EQ(row("u1")->text(2), QStringLiteral("pop.x"));

        // POP2, off the mails: "메일 쓰기" opens the composer.
        std::unique_ptr<QMenu> blank(gui().mailView().buildListMenu(false, nullptr));
        EXPECT_EQ(texts(blank.get()), QStringList({ "REFRESH", "메일 쓰기" }));
        entry(blank.get(), QStringLiteral("메일 쓰기"))->trigger();
        EXPECT_TRUE(gui().mailComposer().isVisible());
        gui().mailComposer().hide();

        // POP1 on a mail: "보기" asks the PC for the content, which comes
        // through the list page's progress bar.
        std::unique_ptr<QMenu> onMail(gui().mailView().buildListMenu(true, nullptr));
        EXPECT_EQ(texts(onMail.get()), QStringList({ "보기", "삭제" }));
        list->setCurrentItem(row("u1"));
        m_pc.serve("/pda_Mail/kim/u1/u1", { 200, "", true });
        entry(onMail.get(), QStringLiteral("보기"))->trigger();
        const std::string asked = m_pc.nextRequest();
        EXPECT_TRUE(asked.starts_with("0xx0:1 0xx1:305 0xx2:")) << asked;
        EXPECT_TRUE(asked.ends_with("\npop.x\nu1")) << asked;
        const std::string number = asked.substr(asked.find("0xx2:") + 5, asked.find('\n') - asked.find("0xx2:") - 5);
        m_pc.answer(std::stoi(number), 305, "_success/u1");
        auto* bar = qobject_cast<QProgressBar*>(dialog().control(app::kMailProgress));
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(runUntil([&] { return bar->value() > 0; }));
        EXPECT_EQ(core().mypc().runner.activity(), "메일 내용 다운중");
        core().mypc().runner.cancel();
        ASSERT_TRUE(runUntil([&] { return !core().mypc().runner.isRunning() && bar->value() == 0; }));

        // The content page: the header box's button hides the box, which
        // stays hidden across the views until shown again.
        click(app::kMailContentTab);
        EXPECT_TRUE(dialog().isControlShown(app::kMailHeader));
        click(app::kMailHeaderToggle);
        EXPECT_FALSE(dialog().isControlShown(app::kMailHeader));
        EXPECT_TRUE(dialog().isControlShown(app::kMailBody));
        click(app::kButtonMyPc);
        click(app::kButtonMail);
        EXPECT_FALSE(dialog().isControlShown(app::kMailHeader));
        click(app::kMailHeaderToggle);
        EXPECT_TRUE(dialog().isControlShown(app::kMailHeader));

        // "Text"/"Html": stored as "mailformat", and asked of the PC with
        // the next content.
        QComboBox* format = dialog().mailFormat();
        EXPECT_TRUE(dialog().isControlShown(app::kMailFormatBox));
        EXPECT_EQ(format->itemText(0), QStringLiteral("Text"));
        EXPECT_EQ(format->itemText(1), QStringLiteral("Html"));
        format->setCurrentIndex(0);
        emit format->activated(0);
        EXPECT_EQ(core().settings().mailFormat, 0);
        EXPECT_EQ(m_registry->getDword(::pocket::settings::kSettingsKey, "mailformat"), 0u);
        click(app::kMailListTab);
        list->setCurrentItem(row("u2"));
        click(app::kMailView);
        EXPECT_TRUE(m_pc.nextRequest().starts_with("0xx0:0 0xx1:305 0xx2:"));

        // POP1's "삭제" on the first row asks, tells the PC and takes that row
        // (and no other) off the list.
        list->setCurrentItem(list->topLevelItem(0));
        const QString first = list->topLevelItem(0)->text(3);
        const QString second = list->topLevelItem(1)->text(3);
        m_ui.pushAnswer(platform::Answer::Ok);
        std::unique_ptr<QMenu> again(gui().mailView().buildListMenu(true, nullptr));
        entry(again.get(), QStringLiteral("삭제"))->trigger();
        EXPECT_EQ(m_ui.calls().back().text, "서버에서 영구삭제 됩니다.");
        const std::string removal = m_pc.nextRequest();
        EXPECT_TRUE(removal.ends_with(" 0xx2:" + first.toStdString() + "\n" + (first == "u1" ? "pop.x" : "pop.y")))
            << removal;
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(list->topLevelItem(0)->text(3), second);
    }

    TEST_F(MailWindowTest, ContentPageStoresTheMailAndOffersItsAttachments)
    {
        logIn();
        checkMail("hi\ta@x\tpop.x\tu1\n");
        dialog().mailList()->setCurrentItem(row("u1"));
        click(app::kMailView);
        const std::string asked = m_pc.nextRequest();
        const std::size_t start = asked.find("0xx2:") + 5;
        m_pc.answer(std::stoi(asked.substr(start, asked.find('\n') - start)), 305,
            "u1/a.jpg//From : a@x \r\nTo : kim \r\nCc :  \r\nTitle : hi \r\nTime : t \r\nPop3 : pop.x \r\n"
            "Body : <pre>hello</pre>[END]");
        ASSERT_TRUE(runUntil([&] { return dialog().mailHeader()->text().contains(QStringLiteral("첨부파일이 있습니다")); }));
        EXPECT_EQ(core().frame().screen(app::kViewMail), app::Screen::Alternate);

        // "저장": into the device's Inbox.
        click(app::kMailSave);
        EXPECT_EQ(m_ui.lastText(), "Inbox의 Quillon 폴더에 저장되었습니다. \n첨부파일은 저장되지 않습니다.");

        // The link's menu: per attachment "첨부 저장" (a transfer into the
        // download folder) and "바로 열기" (the PC converts it, 303).
        std::unique_ptr<QMenu> menu(gui().mailView().buildAttachmentMenu(nullptr));
        EXPECT_EQ(texts(menu.get()), QStringList({ "a.jpg" }));
        m_pc.serve("/pda_Mail/kim/u1/a.jpg", { 200, "JPEG" });
        entry(menu.get(), QStringLiteral("첨부 저장"))->trigger();
        const auto saved = deviceFile(core().settings().saveFilePath + "\\a.jpg");
        ASSERT_TRUE(runUntil([&] { return !core().mypc().runner.isRunning() && std::filesystem::exists(saved); }));
        entry(menu.get(), QStringLiteral("바로 열기"))->trigger();
        EXPECT_EQ(m_pc.nextRequest(), ScriptedPc::request(1, 303, "pda_Mail/kim/u1/a.jpg"));
    }

    TEST_F(MailWindowTest, ComposerAddressBookAttachmentChooserAndSavedMails)
    {
        logIn();
        // Two device contacts, one of them without an address.
        std::vector<::pocket::device::VCard> cards(2);
        cards[0].givenName = "Lee";
        cards[0].email = "lee@x.com";
        cards[1].givenName = "Park";
        std::ofstream(core().contacts().file()) << ::pocket::device::formatVCards(cards);
        std::filesystem::create_directories(deviceFile("\\My Documents"));
        std::ofstream(deviceFile("\\My Documents\\memo.txt")) << "memo";

        click(app::kButtonMail);
        click(app::kMailWrite);
        QtMailComposer& composer = gui().mailComposer();
        ASSERT_TRUE(composer.isVisible());

        // The To label: "Contact" opens the address book of the contacts
        // with an address; the checked rows go into To. "삭   제" empties it.
        std::unique_ptr<QMenu> toMenu(composer.buildToMenu(nullptr));
        EXPECT_EQ(texts(toMenu.get()), QStringList({ "Contact", "삭   제" }));
        composer.toEdit()->setText(QStringLiteral("kim@x.com"));
        whenModal<QtAddressBookDialog>([](QtAddressBookDialog& book) {
            EXPECT_EQ(book.windowTitle(), QStringLiteral("Contact AddressBook"));
            ASSERT_EQ(book.list()->topLevelItemCount(), 1);
            EXPECT_EQ(book.list()->topLevelItem(0)->text(1), QStringLiteral("lee@x.com"));
            book.list()->topLevelItem(0)->setCheckState(0, Qt::Checked);
            book.okButton()->click();
        });
        entry(toMenu.get(), QStringLiteral("Contact"))->trigger();
        EXPECT_EQ(composer.toEdit()->text(), QStringLiteral("kim@x.com,lee@x.com"));
        entry(toMenu.get(), QStringLiteral("삭   제"))->trigger();
        EXPECT_TRUE(composer.toEdit()->text().isEmpty());

        // The attachment label: the chooser with "PDA" and the PC's drive;
        // a PC folder is asked of the PC (302), a handheld file attached.
        whenModal<QtAttachmentChooserDialog>([this, &composer](QtAttachmentChooserDialog& chooser) {
            EXPECT_EQ(chooser.tree()->topLevelItemCount(), 2);
            auto& core = this->core().mail().chooser;
            ASSERT_TRUE(core.expand(*core.find("C:")));
            const std::string asked = m_pc.nextRequest();
            EXPECT_TRUE(asked.ends_with(" 0xx1:302 0xx2:1C:\\")) << asked;
            ASSERT_TRUE(core.expand(*core.find("PDA")));
            ASSERT_TRUE(core.expand(*core.find("PDA\\My Documents")));
            ASSERT_TRUE(runUntil([&] { return chooser.select("PDA\\My Documents\\memo.txt"); }));
            chooser.okButton()->click();
            EXPECT_FALSE(composer.isHidden());
        });
        composer.attachmentLabel()->click();
        ASSERT_EQ(composer.attachmentList()->count(), 1);
        EXPECT_EQ(composer.attachmentList()->item(0)->text(), QStringLiteral("\\My Documents\\memo.txt"));
        // Tap-and-hold on the row: "삭제".
        std::unique_ptr<QMenu> rowMenu(composer.buildAttachmentMenu(0, nullptr));
        EXPECT_EQ(texts(rowMenu.get()), QStringList({ "삭제" }));
        rowMenu->actions().front()->trigger();
        EXPECT_EQ(composer.attachmentList()->count(), 0);
        EXPECT_TRUE(core().mail().composer.attachments().empty());

        // "불러오기": the saved mails of the send folder, one chosen.
        const std::string folder = core().settings().sndMailPath;
        std::filesystem::create_directories(deviceFile(folder));
        std::ofstream(deviceFile(folder + "\\draft.m")) << "lee@x.com [MSGBR]안부 [MSGBR]잘 지내? [MSGEND]";
        whenModal<QtSavedMailDialog>([](QtSavedMailDialog& saved) {
            ASSERT_EQ(saved.list()->count(), 1);
            saved.list()->setCurrentRow(0);
            saved.okButton()->click();
        });
        ASSERT_NE(composerButton(QStringLiteral("불러오기")), nullptr);
        composerButton(QStringLiteral("불러오기"))->click();
        EXPECT_EQ(composer.toEdit()->text(), QStringLiteral("lee@x.com"));
        EXPECT_EQ(composer.subjectEdit()->text(), QStringLiteral("안부"));
        EXPECT_EQ(composer.bodyEdit()->toPlainText(), QStringLiteral("잘 지내?"));
        composer.hide();
    }

} // namespace
} // namespace gui::handheld
