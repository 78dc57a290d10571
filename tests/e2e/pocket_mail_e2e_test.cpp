// The handheld's mail client end to end: the real `quillon --headless` with
// a Dovecot account and an SMTP sink, and `quillon-pocket --console` on free
// loopback ports. The handheld checks mail, reads a mail with an attachment,
// saves the attachment and stores the mail into its Inbox, then sends a
// short mail and one long enough to travel in pieces.

#include "platform/testing/fake_ui.h"
#include "pocket/device/contact_store.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "tests/fixtures/mail/smtp_sink.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tests::e2e::ChildProgram;
using tests::e2e::readFile;
using tests::fixtures::DovecotServer;
using tests::fixtures::SmtpSink;

constexpr const char* kMailWithAttachment = "From: a@example.com\r\nTo: kim@example.com\r\nSubject: with file\r\n"
                                            "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
                                            "--b1\r\nContent-Type: text/plain\r\n\r\nsee attached\r\n"
                                            "--b1\r\nContent-Type: text/plain; name=\"note.txt\"\r\n"
                                            "Content-Disposition: attachment; filename=\"note.txt\"\r\n\r\n"
                                            "memo text\r\n--b1--\r\n";

TEST(PocketMailE2e, ChecksReadsSavesStoresAndSendsThroughThePc)
{
    auto dovecot = DovecotServer::start({ { "kim", "secret" } });
    ASSERT_TRUE(dovecot) << dovecot.error();
    auto sink = SmtpSink::start();
    ASSERT_TRUE(sink) << sink.error();
    ASSERT_TRUE((*dovecot)->deliver("kim", "From: b@example.com\r\nSubject: plain\r\n\r\nplain body\r\n"));
    ASSERT_TRUE((*dovecot)->deliver("kim", kMailWithAttachment));

    fs::path root = tests::e2e::makeTemporaryFolder("pocket-mail-e2e");
    tests::e2e::PcPorts ports;
    {
        ChildProgram pc = tests::e2e::startOwnerPc(root, ports);
        ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
        std::string server = "127.0.0.1:" + std::to_string((*dovecot)->port());
        pc.type("add " + server + " kim secret\nrelay set 127.0.0.1 " + std::to_string((*sink)->port()) + "\n");
        ASSERT_TRUE(pc.waitFor("relay: 127.0.0.1:")) << pc.output();

        ChildProgram pocket = tests::e2e::startPocketConsole(root / "pocket");
        ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

        pocket.type("mail check\nok\n");
        // The list shows the newest line first.
        ASSERT_TRUE(pocket.waitFor("1\twith file\ta@example.com\t" + server + "\t")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("2\tplain\tb@example.com\t" + server + "\t")) << pocket.output();

        pocket.type("mail read 1\n");
        ASSERT_TRUE(pocket.waitFor("Title : with file")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("첨부파일이 있습니다\n")) << pocket.output();
        ASSERT_TRUE(pocket.waitFor("navigate\tmail\t")) << pocket.output();
        pocket.type("mail attachments\n");
        ASSERT_TRUE(pocket.waitFor("attachment\tnote.txt\n")) << pocket.output();

        pocket.type("mail save-attachment note.txt\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 파일다운로드 폴더에 저장되었습니다.\n")) << pocket.output();
        fs::path device = root / "pocket" / "device";
        EXPECT_EQ(readFile(device / "Program Files" / "Quillon" / "받은파일" / "note.txt"), "memo text");

        pocket.type("mail store\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] Inbox의 Quillon 폴더에 저장되었습니다.")) << pocket.output();
        auto stored = fs::directory_iterator(device / "Inbox" / ".Quillon" / "new");
        ASSERT_NE(stored, fs::directory_iterator());
        std::string message = readFile(stored->path());
        EXPECT_NE(message.find("Subject: with file\n"), std::string::npos) << message;
        EXPECT_NE(message.find("see attached"), std::string::npos) << message;

        pocket.type("mail send lee@example.com hello short\\nbody\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();
        std::string longBody;
        for (int i = 0; i < 30; ++i)
            longBody += "line " + std::to_string(i) + " " + std::string(60, 'x') + "\\n";
        pocket.type("mail send park@example.com long " + longBody + "end\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();

        auto mails = (*sink)->waitForMessages(2, 20s);
        ASSERT_EQ(mails.size(), 2u) << (*sink)->log();
        EXPECT_EQ(mails[0].to, std::vector<std::string> { "lee@example.com" });
        EXPECT_NE(mails[0].content.find("short\r\nbody"), std::string::npos) << mails[0].content;
        EXPECT_EQ(mails[1].to, std::vector<std::string> { "park@example.com" });
        EXPECT_NE(mails[1].content.find("line 29 "), std::string::npos) << mails[1].content;
        EXPECT_NE(mails[1].content.find("end"), std::string::npos) << mails[1].content;
    }
    fs::remove_all(root);
}

// A mail to a device contact with a PC file and a handheld file attached,
// saved as a draft first, loaded again and sent through the PC; then one
// more handheld attachment in the same session.
TEST(PocketMailE2e, SendsADraftToADeviceContactWithPcAndHandheldAttachments)
{
    auto sink = SmtpSink::start();
    ASSERT_TRUE(sink) << sink.error();
    fs::path root = tests::e2e::makeTemporaryFolder("pocket-mail-attach-e2e");
    fs::create_directories(root / "pc");
    fs::create_directories(root / "disk" / "docs");
    std::ofstream(root / "disk" / "docs" / "report.txt") << "report of the PC";
    std::ofstream(root / "pc" / "Quillon.ini") << "[Drives]\nC=" << (root / "disk").string() << "\n";
    fs::path device = root / "pocket" / "device";
    fs::create_directories(device / "My Documents");
    std::ofstream(device / "My Documents" / "memo.txt") << "memo of the handheld";
    platform::testing::FakeUi ui;
    ASSERT_TRUE(pocket::device::ContactStore(device, ui).addContact({ "lee@example.com", "Lee", "Min", "", "" }, "MSN"));

    tests::e2e::PcPorts ports;
    {
        ChildProgram pc = tests::e2e::startOwnerPc(root, ports);
        ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
        pc.type("relay set 127.0.0.1 " + std::to_string((*sink)->port()) + "\n");
        ASSERT_TRUE(pc.waitFor("relay: 127.0.0.1:")) << pc.output();

        ChildProgram pocket = tests::e2e::startPocketConsole(root / "pocket");
        ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();

        pocket.type("mail to LeeMin\nmail subject files\nmail text two files\\nattached\n"
                    "mail attach C:\\docs\\report.txt\nmail attach \\My Documents\\memo.txt\n"
                    "mail save weekly\n");
        ASSERT_TRUE(pocket.waitFor("에 저장 되었습니다.")) << pocket.output();
        pocket.type("mail drafts\n");
        ASSERT_TRUE(pocket.waitFor("draft\t1\t\\Program Files\\Quillon\\보낼메일\\weekly.m\n")) << pocket.output();
        // Loading the saved mail brings back its To, subject and text; the
        // attachments stay in the composer.
        pocket.type("mail subject changed\nmail to nobody@example.com\nmail load 1\nmail send\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();

        // A second handheld attachment goes too: the first upload ended
        // when the PC had the file.
        pocket.type("mail attach \\My Documents\\memo.txt\nmail send kim@example.com again text\n");
        ASSERT_TRUE(pocket.waitFor("[Quillon] 이메일 전송을 완료하였습니다.\n")) << pocket.output();

        auto mails = (*sink)->waitForMessages(2, 20s);
        ASSERT_EQ(mails.size(), 2u) << (*sink)->log();
        EXPECT_NE(mails[1].content.find("memo.txt"), std::string::npos) << mails[1].content;
        EXPECT_EQ(mails[0].to, std::vector<std::string> { "lee@example.com" });
        const std::string& content = mails[0].content;
        EXPECT_NE(content.find("Subject: files"), std::string::npos) << content;
        EXPECT_NE(content.find("two files\r\nattached"), std::string::npos) << content;
        EXPECT_NE(content.find("report.txt"), std::string::npos) << content;
        EXPECT_NE(content.find("memo.txt"), std::string::npos) << content;
    }
    fs::remove_all(root);
}

} // namespace
