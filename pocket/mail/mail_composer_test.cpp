// The composer's choosers against a scripted PC: attachments from the
// handheld and the PC tree, recipients from the device's contacts, saved
// mails loaded back.

#include "pocket/device/contact_store.h"
#include "pocket/device/vcard.h"
#include "pocket/mail/mail_attachment_chooser.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mail/testing/mail_fixture.h"

#include <fstream>

namespace pocket::mail {
namespace {

using namespace std::chrono_literals;
using testing::MailClientTest;

// The composer's dialogs, each answering from the test.
struct ScriptedDialogs final : ComposerDialogs {
    std::optional<std::string> askFileName() override { return std::nullopt; }
    void openOptions() override { }
    std::optional<std::vector<MailContact>> chooseContacts(const std::vector<MailContact>& book) override
    {
        shownBook = book;
        return pickContacts ? pickContacts(book) : std::nullopt;
    }
    std::optional<std::string> chooseAttachment(AttachmentChooser& chooser) override
    {
        ++chooserOpened;
        return pickAttachment ? pickAttachment(chooser) : std::nullopt;
    }
    std::optional<std::string> chooseSavedMail(const std::vector<std::string>& mails) override
    {
        shownMails = mails;
        return mails.empty() ? std::nullopt : std::optional<std::string>(mails.back());
    }
    void attachmentsChanged() override { ++changes; }

    std::function<std::optional<std::vector<MailContact>>(const std::vector<MailContact>&)> pickContacts;
    std::function<std::optional<std::string>(AttachmentChooser&)> pickAttachment;
    std::vector<MailContact> shownBook;
    std::vector<std::string> shownMails;
    int chooserOpened = 0;
    int changes = 0;
};

class ComposerChooserTest : public MailClientTest {
protected:
    MailComposer m_composer { m_ui, m_settings, m_device };
    AttachmentChooser m_chooser { m_context, m_fetch };
    ScriptedDialogs m_dialogs;
};

TEST_F(ComposerChooserTest, AttachesAPcFileFromTheTreeTheChooserAsksFor)
{
    m_dialogs.pickAttachment = [&](AttachmentChooser& chooser) -> std::optional<std::string> {
        // "PDA" and the PC's drive, as the chooser opens.
        EXPECT_EQ(chooser.tree().roots().size(), 2u);
        mypc::TreeItem* drive = chooser.find("C:");
        EXPECT_NE(drive, nullptr);
        if (!drive)
            return std::nullopt;
        EXPECT_TRUE(chooser.expand(*drive));
        EXPECT_EQ(received(), link::testing::requestWire(10, 302, "1C:\\"));
        answer(10, 320, ".1docs\n0a.doc\n\n");
        EXPECT_TRUE(m_loop.runUntil([&] { return chooser.find("C:\\a.doc") != nullptr; }, 5s));
        // A folder is not attached; the file is, under its PC path.
        EXPECT_EQ(AttachmentChooser::attachmentPath(*chooser.find("C:\\docs")), std::nullopt);
        return AttachmentChooser::attachmentPath(*chooser.find("C:\\a.doc"));
    };
    m_chooser.choose(m_composer, m_dialogs);
    EXPECT_EQ(m_composer.attachments(), std::vector<std::string> { "C:\\a.doc" });
    EXPECT_EQ(m_dialogs.changes, 1);
}

TEST_F(ComposerChooserTest, AttachesOneHandheldFileAndNoMoreThanFive)
{
    std::filesystem::create_directories(m_root / "My Documents");
    std::ofstream(m_root / "My Documents" / "memo.txt") << "memo";
    m_dialogs.pickAttachment = [&](AttachmentChooser& chooser) -> std::optional<std::string> {
        mypc::TreeItem* pda = chooser.find("PDA");
        EXPECT_TRUE(pda && chooser.expand(*pda));
        mypc::TreeItem* folder = chooser.find("PDA\\My Documents");
        EXPECT_TRUE(folder && chooser.expand(*folder));
        mypc::TreeItem* file = chooser.find("PDA\\My Documents\\memo.txt");
        return file ? AttachmentChooser::attachmentPath(*file) : std::nullopt;
    };
    m_chooser.choose(m_composer, m_dialogs);
    EXPECT_EQ(m_composer.attachments(), std::vector<std::string> { "\\My Documents\\memo.txt" });
    // A second handheld file is refused.
    m_chooser.choose(m_composer, m_dialogs);
    EXPECT_EQ(m_ui.lastText(), "PDA파일은 하나만 첨부하실 수 있습니다.");
    // With five listed the chooser does not open.
    for (const char* pc : { "C:\\1", "C:\\2", "C:\\3", "C:\\4" })
        ASSERT_TRUE(m_composer.addAttachment(pc));
    const int opened = m_dialogs.chooserOpened;
    m_chooser.choose(m_composer, m_dialogs);
    EXPECT_EQ(m_dialogs.chooserOpened, opened);
    EXPECT_EQ(m_ui.lastText(), "첨부파일은 5개까지 보내실 수 있습니다.");
}

TEST_F(ComposerChooserTest, WithoutTheLogInTheChooserFollowsIt)
{
    m_link.resetConnection(false);
    ASSERT_FALSE(m_link.isLoggedIn());
    m_chooser.choose(m_composer, m_dialogs);
    EXPECT_EQ(m_logins, 1);
    EXPECT_EQ(m_dialogs.chooserOpened, 0);
}

TEST_F(ComposerChooserTest, AddressBookListsContactsWithAnAddress)
{
    device::ContactStore store(m_root, m_ui);
    std::vector<device::VCard> cards(3);
    cards[0].givenName = "길동";
    cards[0].familyName = "홍";
    cards[0].email = "hong@x.com";
    cards[1].givenName = "없음"; // No address: not in the book.
    cards[2].givenName = "Lee";
    cards[2].email = "lee@x.com";
    std::ofstream(store.file()) << device::formatVCards(cards);

    m_dialogs.pickContacts = [](const std::vector<MailContact>& book) {
        return std::optional<std::vector<MailContact>>(std::vector<MailContact> { book.back() });
    };
    m_composer.draft().to = "kim@x.com";
    m_composer.pickContacts(m_dialogs, store);
    ASSERT_EQ(m_dialogs.shownBook.size(), 2u);
    EXPECT_EQ(m_dialogs.shownBook[0].email, "hong@x.com");
    EXPECT_EQ(m_composer.draft().to, "kim@x.com,lee@x.com");

    // Ten recipients already: the book does not open.
    m_composer.draft().to = "a,b,c,d,e,f,g,h,i,j";
    m_dialogs.shownBook.clear();
    m_composer.pickContacts(m_dialogs, store);
    EXPECT_TRUE(m_dialogs.shownBook.empty());
    EXPECT_EQ(m_ui.lastText(), "받는 사람은 10명까지 가능합니다.");
}

TEST_F(ComposerChooserTest, LoadsASavedMailChosenFromTheSendFolder)
{
    std::filesystem::create_directories(m_device.toLocal(m_settings.sndMailPath));
    for (const char* name : { "b.m", "a.m", "note.txt" })
        std::ofstream(m_device.toLocal(m_settings.sndMailPath + "\\" + name))
            << std::string(name) + " [MSGBR]제목 [MSGBR]본문 [MSGEND]";
    m_composer.loadSaved(m_dialogs);
    EXPECT_EQ(m_dialogs.shownMails,
        (std::vector<std::string> { m_settings.sndMailPath + "\\a.m", m_settings.sndMailPath + "\\b.m" }));
    EXPECT_EQ(m_composer.draft().to, "b.m");
    EXPECT_EQ(m_composer.draft().subject, "제목");
    EXPECT_EQ(m_composer.loadedPath(), m_settings.sndMailPath + "\\b.m");
}

} // namespace
} // namespace pocket::mail
