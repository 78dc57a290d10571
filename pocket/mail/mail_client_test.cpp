// The mail client and the web view against a scripted PC on loopback: the
// commands they send, the answers they take, the files they leave.

#include "pocket/mail/mail_attachment_tree.h"
#include "pocket/mail/mail_composer.h"
#include "pocket/mail/mail_inbox.h"
#include "pocket/mail/testing/mail_fixture.h"
#include "proto/pc_answer.h"

#include <thread>

namespace pocket::mail {
namespace {

using namespace std::chrono_literals;
using testing::MailClientTest;
using link::testing::answerRecord;
using link::testing::requestWire;
using platform::Answer;

TEST_F(MailClientTest, InlineCheckAnswerBecomesTheListWithoutAFetch)
{
    m_ui.pushAnswer(Answer::Ok);
    m_box.check();
    EXPECT_EQ(received(), link::testing::requestWire(0, 304, ""));
    answer(0, 304, "serveranyfail");
    waitForMessage();
    EXPECT_TRUE(m_box.isChecking());
    answer(0, 304, ".hi\ta@x\tpop\tu1\nyo\tb@x\tpop\tu2\n\n");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_box.isChecking(); }, 5s));
    EXPECT_EQ(m_view.rows, (std::vector<std::string> { "u2", "u1" }));
    EXPECT_EQ(localFile(kMailListFile), "hi\ta@x\tpop\tu1\nyo\tb@x\tpop\tu2\n\n");
}

TEST_F(MailClientTest, DeletingAMiddleRowRemovesThatRowOnly)
{
    m_ui.pushAnswer(Answer::Ok);
    m_box.check();
    EXPECT_EQ(received(), link::testing::requestWire(0, 304, ""));
    answer(0, 304, ".c\tc@x\tpop\tu3\nb\tb@x\tpop\tu2\na\ta@x\tpop\tu1\n\n");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_box.isChecking(); }, 5s));
    ASSERT_EQ(m_view.rows, (std::vector<std::string> { "u1", "u2", "u3" }));

    // The row is given by reference into the list, as the views give it.
    m_ui.pushAnswer(Answer::Ok);
    m_box.deleteMail(m_box.rows()[1]);
    EXPECT_EQ(received(), link::testing::requestWire(0, 332, "u2\npop"));
    EXPECT_EQ(m_view.rows, (std::vector<std::string> { "u1", "u3" }));
    ASSERT_EQ(m_box.rows().size(), 2u);
    EXPECT_EQ(m_box.rows()[0].name, "u1");
    EXPECT_EQ(m_box.rows()[1].name, "u3");
}

TEST_F(MailClientTest, LateCheckAnswerAsksBeforeShowing)
{
    m_ui.pushAnswer(Answer::Ok);
    m_box.check();
    (void)received();
    m_clock.advance(120s);
    EXPECT_FALSE(m_box.isChecking());
    EXPECT_EQ(m_ui.lastText(), "[MAIL]메일 체크 - TIME OUT(timeout val: 2분) \n다시 요청해주십시오.");
    m_ui.pushAnswer(Answer::Cancel);
    answer(0, 304, ".late\ta\tp\tu9\n\n");
    waitForMessage();
    EXPECT_TRUE(m_view.rows.empty());
}

TEST_F(MailClientTest, ReadsAnInlineMailAndWritesItsFiles)
{
    MailListEntry entry { "hi", "a@x", "pop.x", "u1" };
    m_reader.read(&entry);
    EXPECT_EQ(received(), link::testing::requestWire(1, 305, "10\npop.x\nu1"));
    answer(10, 305, "u1/a.jpg//From : a@x \r\nTo : kim \r\nCc :  \r\nTitle : hi \r\nTime : t \r\nPop3 : pop.x \r\n"
                    "Body : <pre>hello</pre>[END]");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_view.title.empty(); }, 5s));
    std::string mailFile = "\\Program Files\\Quillon\\MailCheck\\kim\\u1\\u1";
    EXPECT_EQ(localFile(mailFile + ".ah"), "a.jpg//");
    EXPECT_EQ(localFile(mailFile + ".body"), "<pre>hello</pre>");
    EXPECT_TRUE(m_view.hasAttachments);
    EXPECT_TRUE(m_view.header.starts_with("From : a@x"));
    EXPECT_EQ(m_mailBody.address, mailFile + ".body");
    EXPECT_EQ(m_reader.attachments(), std::vector<std::string> { "a.jpg" });

    m_reader.openAttachment("a.zip");
    EXPECT_EQ(m_ui.lastText(), "볼 수 없는 파일 형식입니다.");
    m_reader.openAttachment("a.jpg");
    EXPECT_EQ(received(), link::testing::requestWire(1, 303, "pda_Mail/kim/u1/a.jpg"));
    answer(1, 303, "fail");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "파일변환에 실패하였습니다");
    EXPECT_EQ(m_mailBody.address, mailFile + ".body");

    m_reader.storeInInbox();
    EXPECT_EQ(m_ui.lastText(), "Inbox의 Quillon 폴더에 저장되었습니다. \n첨부파일은 저장되지 않습니다.");
    auto stored = std::filesystem::directory_iterator(m_root / "Inbox" / ".Quillon" / "new");
    ASSERT_NE(stored, std::filesystem::directory_iterator());
    auto message = readLocalFile(stored->path()).value_or("");
    EXPECT_NE(message.find("Subject: hi\n"), std::string::npos) << message;
    EXPECT_TRUE(message.ends_with("\n\n<pre>hello</pre>\n")) << message;
}

TEST_F(MailClientTest, FetchesAPreparedMailFromTheWebServer)
{
    link::testing::OneShotHttpServer web(200, "//From : b \r\nTo : kim \r\nCc :  \r\nTitle : long \r\nTime : t \r\n"
                                        "Pop3 : p \r\nBody : <pre>text</pre>[END]");
    m_settings.pcWebPort = web.port();
    m_settings.mailFormat = 0;
    MailListEntry entry { "long", "b", "p", "u#2" };
    m_reader.read(&entry);
    EXPECT_EQ(received(), link::testing::requestWire(0, 305, "10\np\nu#2"));
    answer(10, 305, "_success/u#2");
    ASSERT_TRUE(m_loop.runUntil([&] { return m_view.title == "u#2"; }, 5s));
    EXPECT_NE(web.requestHead().find("GET /pda_Mail/kim/u%232/u%232.txt "), std::string::npos);
    EXPECT_FALSE(m_view.hasAttachments);
    // The list page's bar showed the fetch; no progress dialog, no message.
    ASSERT_GE(m_view.progress.size(), 2u);
    EXPECT_EQ(m_view.progress[0], 0);
    EXPECT_EQ(m_view.progress.back(), 0);
    EXPECT_NE(std::find(m_view.progress.begin(), m_view.progress.end(), 100), m_view.progress.end());
    EXPECT_TRUE(m_progress.opened.empty());
    EXPECT_EQ(m_ui.callCount(), 0u);
}

TEST_F(MailClientTest, OneTransferRunsAtATimeForWebPagesAndMails)
{
    // A web server that sends part of a page and then waits.
    link::testing::LoopbackListener slow;
    std::thread peer([&] {
        int fd = slow.accept();
        link::testing::receiveExactly(fd, 1);
        link::testing::sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1024, 'p'));
        link::testing::receiveExactly(fd, 100000); // Until the handheld hangs up.
        ::close(fd);
    });
    m_settings.webFolderPath = "\\web";
    m_web.address = "http://127.0.0.1:" + std::to_string(slow.port()) + "/big.html";
    m_ui.pushAnswer(Answer::Ok);
    m_viewer.savePage();
    ASSERT_TRUE(m_transfer.isRunning());
    EXPECT_EQ(m_progress.opened, std::vector<std::string> { "big.html" });

    // A mail waiting to be fetched asks about the page being saved.
    link::testing::OneShotHttpServer web(200, "//From : b \r\nTitle : t \r\nBody : <pre>x</pre>[END]");
    m_settings.pcWebPort = web.port();
    MailListEntry entry { "t", "b", "p", "m1" };
    m_reader.read(&entry);
    EXPECT_EQ(received(), link::testing::requestWire(1, 305, "10\np\nm1"));
    m_ui.pushAnswer(Answer::Cancel);
    answer(10, 305, "_success/m1");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "현재 [웹 페이지 저장]을 하는중이므로 \n메일의 내용을 받으실 수 없습니다. \n현재 작업을 취소하시겠습니까?");
    EXPECT_EQ(m_transfer.activity(), "웹 페이지 저장");

    // The second time OK: the save stops, the mail comes.
    m_reader.read(&entry);
    EXPECT_EQ(received(), link::testing::requestWire(1, 305, "11\np\nm1"));
    m_ui.pushAnswer(Answer::Ok);
    answer(11, 305, "_success/m1");
    ASSERT_TRUE(m_loop.runUntil([&] { return m_view.title == "m1"; }, 5s));
    peer.join();
    EXPECT_FALSE(std::filesystem::exists(m_device.toLocal("\\web\\big.html")));
}

TEST_F(MailClientTest, ContentAnswerWithoutSlashShowsTheFormatMessage)
{
    MailListEntry entry { "s", "f", "p", "u1" };
    m_reader.read(&entry);
    (void)received();
    answer(9, 305, "u1/ignored: another number");
    answer(10, 305, "garbage");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "선택하신 메일은 정확한 형식에 맞지 않아서 볼 수 없습니다.");
    EXPECT_FALSE(m_reader.isFetching());
}

TEST_F(MailClientTest, SendsShortMailsWholeAndLongOnesInPieces)
{
    MailComposer composer(m_ui, m_settings, m_device);
    // "to@x\nsub\n\n" is 10 bytes; a body of 890 makes exactly 900.
    composer.draft() = { "to@x", "sub", std::string(890, 'b') };
    m_sender.send(composer);
    EXPECT_EQ(received(), link::testing::requestWire(4, 329, "to@x\nsub\n\n" + std::string(890, 'b')));
    EXPECT_TRUE(composer.draft().to.empty());

    // 901 bytes, whose last character would straddle the 900-byte mark.
    composer.draft() = { "to@x", "sub", std::string(888, 'b') + "한" };
    std::string text = "to@x\nsub\n\n" + std::string(888, 'b') + "한";
    m_sender.send(composer);
    EXPECT_EQ(received(), link::testing::requestWire(3, 329, text.substr(0, 898)));
    answer(898, 330, "NEXT");
    ASSERT_TRUE(m_loop.runUntil([&] { return link::testing::isReadable(m_peer); }, 5s));
    EXPECT_EQ(received(), link::testing::requestWire(0, 329, text.substr(898)));
    answer(901, 330, "NEXT");
    ASSERT_TRUE(m_loop.runUntil([&] { return link::testing::isReadable(m_peer); }, 5s));
    EXPECT_EQ(received(), link::testing::requestWire(1, 329, ""));
    answer(0, 329, "success");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "이메일 전송을 완료하였습니다.");
}

// The composer's fields as a window would hold them.
class FakeFields final : public ComposerFields {
public:
    explicit FakeFields(MailComposer& composer)
        : m_composer(composer)
    {
    }
    void readFields() override
    {
        if (typed)
            m_composer.draft() = *typed;
    }
    void showFields() override { ++shown; }
    std::optional<MailDraft> typed; // What the user has typed since the last read.
    int shown = 0;

private:
    MailComposer& m_composer;
};

TEST_F(MailClientTest, FailedSendPutsTheMailBackAndNamesTheCause)
{
    MailComposer composer(m_ui, m_settings, m_device);
    FakeFields fields(composer);
    composer.setFields(&fields);
    MailDraft mail { "to@x", "제목", "본문" };
    composer.draft() = mail;
    ASSERT_TRUE(composer.addAttachment("C:\\docs\\a.doc"));
    m_sender.send(composer);
    (void)received();
    EXPECT_EQ(composer.draft(), MailDraft {}); // Emptied as the mail leaves.

    std::string cause = "PC의 보내는 메일(SMTP) 서버가 설정되어 있지 않습니다";
    auto record = proto::encodePcAnswer({ 0, 329, "error", cause });
    link::testing::sendAll(m_peer, std::string_view(record.data(), record.size()));
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(),
        "pc의 outlook 설정이 잘못되었습니다. outlook 프로그램 설치여부 및 default email client로 설정되어있는지 "
        "확인해주십시오.\n\n"
            + cause + "\n\n작성하신 메일은 메일 쓰기 창에 그대로 남아 있습니다.");
    EXPECT_EQ(composer.draft(), mail);
    EXPECT_EQ(composer.attachments(), (std::vector<std::string> { "C:\\docs\\a.doc" }));
    EXPECT_EQ(fields.shown, 1);

    // Sent again, and again refused while a new mail is being written: the
    // new one stays in the composer, the refused one goes to "unsent.m".
    m_sender.send(composer);
    (void)received();
    fields.typed = MailDraft { "other@x", "새 메일", "" };
    answer(0, 329, "fail1");
    waitForMessage();
    EXPECT_EQ(composer.draft().to, "other@x");
    EXPECT_EQ(m_ui.lastText(),
        "사용자의 이메일 정보가 없거나, 잘못된 이메일 주소입니다.\n\n작성하신 메일을 "
        "\\Program Files\\Quillon\\send\\unsent.m 에 저장하였습니다.");
    EXPECT_EQ(parseMailDraft(localFile("\\Program Files\\Quillon\\send\\unsent.m")), mail);

    // A mail the PC took is not put back.
    composer.clear();
    fields.typed.reset();
    composer.draft() = mail;
    m_sender.send(composer);
    (void)received();
    answer(0, 329, "success");
    waitForMessage();
    EXPECT_EQ(composer.draft(), MailDraft {});
    composer.setFields(nullptr);
}

TEST_F(MailClientTest, FailedAccountsOfACheckAreNamedBesideTheMessage)
{
    m_ui.pushAnswer(Answer::Ok);
    m_box.check();
    (void)received();
    std::string detail = "pop.example.com (kim): 연결이 거부되었습니다";
    auto record = proto::encodePcAnswer({ 0, 304, "nothingbutanyfail", detail });
    link::testing::sendAll(m_peer, std::string_view(record.data(), record.size()));
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(),
        "새로온 메일이 없습니다.\nPOP3서버 설정이 잘못된 경우가 있으므로 pc program에 POP3설정이 정확한지 확인해 "
        "주십시오.\n\n"
            + detail);
    EXPECT_FALSE(m_box.isChecking());
}

TEST_F(MailClientTest, WebViewShowsConvertedDocumentsUnderTheLoginId)
{
    m_settings.pcWebPort = 91;
    ASSERT_TRUE(m_viewer.viewPcFile("C:\\docs\\a.doc"));
    EXPECT_EQ(received(), link::testing::requestWire(0, 303, "C:\\docs\\a.doc"));
    answer(0, 303, "prev");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "이전에 요청한 파일 변환 중입니다.");
    EXPECT_TRUE(m_web.address.empty());
    ASSERT_TRUE(m_viewer.viewPcFile("C:\\docs\\a.doc"));
    (void)received();
    answer(0, 303, "http://127.0.0.1:91/a.htm");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_web.address.empty(); }, 5s));
    EXPECT_EQ(m_tab.addresses, std::vector<std::string> { "http://kim/a.htm" });
    EXPECT_EQ(m_web.address, "http://127.0.0.1:91/a.htm");
    EXPECT_TRUE(m_tab.webTab);

    m_tab.text = "";
    m_viewer.go();
    EXPECT_TRUE(m_tab.focused);
}

TEST_F(MailClientTest, SavesTheShownPageIntoTheWebFolder)
{
    link::testing::OneShotHttpServer web(200, "<html>page</html>");
    m_settings.webFolderPath = "\\web";
    m_web.address = "http://127.0.0.1:" + std::to_string(web.port()) + "/a/page.asp";
    m_ui.pushAnswer(Answer::Ok);
    m_viewer.savePage();
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_transfer.isRunning(); }, 5s));
    EXPECT_EQ(m_ui.lastText(), "웹파일다운로드 폴더에 저장되었습니다.\n\n\\web\\page.html");
    EXPECT_EQ(localFile("\\web\\page.html"), "<html>page</html>");
}

TEST_F(MailClientTest, ComposerKeepsItsLimits)
{
    MailComposer composer(m_ui, m_settings, m_device);
    composer.draft().to = "1,2,3,4,5,6,7,8,9";
    EXPECT_FALSE(composer.addContacts({ { "a", "a@x" }, { "b", "b@x" } }));
    EXPECT_EQ(m_ui.lastText(), "최대 10명까지 동시에 보내실 수 있습니다.");
    EXPECT_TRUE(composer.addContacts({ { "a", "a@x" } }));
    EXPECT_FALSE(composer.canPickContacts());

    composer.draft().to += ",11";
    m_sender.send(composer);
    EXPECT_EQ(m_ui.lastText(), "받는 사람은 10명까지 가능합니다.");

    EXPECT_TRUE(composer.addAttachment("\\My Documents\\a.txt"));
    EXPECT_FALSE(composer.addAttachment("\\My Documents\\b.txt"));
    EXPECT_EQ(m_ui.lastText(), "PDA파일은 하나만 첨부하실 수 있습니다.");
    for (const char* path : { "C:\\1", "C:\\2", "C:\\3", "C:\\4" })
        EXPECT_TRUE(composer.addAttachment(path));
    EXPECT_FALSE(composer.addAttachment("C:\\6"));
    EXPECT_EQ(m_ui.lastText(), "첨부파일은 5개까지 보내실 수 있습니다.");
}

TEST_F(MailClientTest, SavedMailWithEmptySubjectKeepsBothMarkers)
{
    struct Dialogs final : ComposerDialogs {
        std::optional<std::string> askFileName() override { return std::string(" my mail "); }
        void openOptions() override { }
    } dialogs;
    MailComposer composer(m_ui, m_settings, m_device);
    composer.draft() = { "a@x", "", "body" };
    m_ui.pushAnswer(Answer::Ok);
    auto path = composer.save(dialogs);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, "\\Program Files\\Quillon\\send\\mymail.m");
    EXPECT_EQ(localFile(*path), "a@x [MSGBR] [MSGBR]body [MSGEND]");
    // "불러오기" offers the saved mails, and only those.
    ASSERT_TRUE(writeLocalFile(m_device.toLocal("\\Program Files\\Quillon\\send\\sended_temp"), "x"));
    EXPECT_EQ(savedMails(m_settings, m_device), std::vector<std::string> { *path });
    MailComposer loaded(m_ui, m_settings, m_device);
    ASSERT_TRUE(loaded.load(*path));
    EXPECT_EQ(loaded.draft(), (MailDraft { "a@x", "", "body" }));
}

TEST_F(MailClientTest, LongListIsFetchedFromTheWebServerAfterTheWarning)
{
    link::testing::OneShotHttpServer web(200, "a\tb\tc\td1\n\n");
    m_settings.pcWebPort = web.port();
    m_ui.pushAnswer(Answer::Ok);
    m_box.check();
    (void)received();
    answer(0, 304, "successany");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_view.rows.empty(); }, 5s));
    EXPECT_EQ(m_view.rows, std::vector<std::string> { "d1" });
    EXPECT_NE(web.requestHead().find("GET /pda_Mail/MailList "), std::string::npos);
    EXPECT_TRUE(m_ui.calls().back().text.starts_with("POP3 서버설정이 잘못되어"));
}

TEST_F(MailClientTest, NamesFromThePcStayInsideTheMailFolder)
{
    MailListEntry entry { "s", "f", "p", "x" };
    m_reader.read(&entry);
    (void)received();
    answer(10, 305, "..\\..\\..\\evil///From : a \r\nTo : b \r\nCc :  \r\nTitle : t \r\nTime : x \r\nPop3 : p \r\n"
                    "Body : <pre>x</pre>[END]");
    ASSERT_TRUE(m_loop.runUntil([&] { return !m_view.title.empty(); }, 5s));
    auto folder = m_device.toLocal(mailUserFolder(m_settings));
    EXPECT_TRUE(std::filesystem::exists(folder / ".._.._.._evil" / ".._.._.._evil"));
    EXPECT_FALSE(std::filesystem::exists(m_root / "evil"));
    EXPECT_FALSE(std::filesystem::exists(m_root / "Program Files" / "evil"));
}

TEST_F(MailClientTest, OutlookOnThePcMakesTheNextSendWaitAMinute)
{
    answer(2, 310, "YES\\C:");
    ASSERT_TRUE(m_loop.runUntil([&] { return m_link.mailClientKind() == 2; }, 5s));
    MailComposer composer(m_ui, m_settings, m_device);
    composer.draft() = { "to@x", "s", "b" };
    m_ui.pushAnswer(Answer::Ok);
    m_sender.send(composer);
    EXPECT_EQ(received(), link::testing::requestWire(4, 329, "to@x\ns\n\nb"));
    answer(0, 329, "fail3");
    waitForMessage();
    EXPECT_EQ(m_ui.lastText(), "이메일 주소 정보가 없는 사용자를 제외하고 , 이메일 전송에 성공하였습니다.");
    EXPECT_EQ(m_sender.waitSecondsLeft(), 0);
    answer(0, 329, "success");
    waitForMessage();
    m_clock.advance(15s);
    composer.draft() = { "to@x", "s", "b" };
    m_sender.send(composer);
    EXPECT_EQ(m_ui.lastText(), "45초 후에 메일을 보내실 수 있습니다.");
    m_clock.advance(45s);
    m_ui.pushAnswer(Answer::Ok);
    m_sender.send(composer);
    EXPECT_EQ(received(), link::testing::requestWire(4, 329, "to@x\ns\n\nb"));
}

class RecordingFolders final : public link::FolderListView {
public:
    void showFolder(const std::string& path, const std::vector<link::FolderEntry>& list) override
    {
        shown = path;
        entries = list;
    }
    void restoreFolder(const std::string& path) override { restored = path; }
    std::string shown;
    std::vector<link::FolderEntry> entries;
    std::string restored;
};

// Random answer texts to every code the mail client and the web view take:
// nothing breaks, and nothing is written outside the device root.
TEST_F(MailClientTest, RandomAnswersStayHarmless)
{
    std::filesystem::path outside = m_root.parent_path() / ("pocket-mail-outside-" + std::to_string(::getpid()));
    std::filesystem::remove_all(outside);
    m_settings.pcWebPort = link::testing::closedLoopbackPort();
    RecordingFolders folders;
    MailAttachmentTree tree(m_context, m_fetch, folders);
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    const std::string pieces[] = { "/", "//", ".", ",", "..", "\\", "_success/", "<pre>", "</pre>", "To : ",
        "Body : <pre>", "\n", "\t", "fail", "prev", "x", "한", std::string(1, '\xff') };
    const int codes[] = { 303, 304, 305, 313, 320, 329, 330, 331 };
    int readNumber = link::RequestNumber::kFirstNumber; // The reader waits for each 305 sent here.
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (std::uint32_t i = next() % 12; i > 0; --i)
            text += pieces[next() % std::size(pieces)];
        int code = codes[next() % std::size(codes)];
        // Keep the numbered requests waiting so that their answers are taken.
        if (!m_reader.isFetching()) {
            MailListEntry entry { "s", "f", "p", "n" + std::to_string(round) };
            m_reader.read(&entry);
            (void)received();
        }
        if (!tree.isWaiting() && tree.expand("C:\\x"))
            (void)received();
        int first = code == 305 ? readNumber++ : (code == 320 ? m_link.attachmentRequest().current() : 0);
        for (int i = 0; i < 4; ++i)
            m_ui.pushAnswer(Answer::Cancel);
        // The keep-alive reply to the probe after it tells that the answer
        // was handled. One write, so that no delayed acknowledgement holds
        // the probe back.
        link::testing::sendAll(m_peer, link::testing::answerRecord(first, code, text) + link::testing::answerRecord(0, 328, ""));
        std::string reply;
        while (reply != link::testing::requestWire(0, 328, "")) {
            ASSERT_TRUE(m_loop.runUntil([&] { return link::testing::isReadable(m_peer); }, 5s));
            reply = received();
        }
    }
    EXPECT_TRUE(m_link.isConnected());
    EXPECT_FALSE(std::filesystem::exists(outside));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root))
        EXPECT_TRUE(entry.path().string().starts_with(m_root.string()));
}


TEST_F(MailClientTest, AttachmentTreeListsPcFoldersAndTimesOut)
{
    RecordingFolders folders;
    MailAttachmentTree tree(m_context, m_fetch, folders);
    ASSERT_TRUE(tree.expand("C:\\docs\\"));
    EXPECT_EQ(received(), link::testing::requestWire(10, 302, "1C:\\docs\\"));
    EXPECT_FALSE(tree.expand("C:\\other"));
    answer(10, 320, ".1sub\n0a.txt\n\n");
    ASSERT_TRUE(m_loop.runUntil([&] { return !folders.shown.empty(); }, 5s));
    EXPECT_EQ(folders.entries, (std::vector<link::FolderEntry> { { true, "sub" }, { false, "a.txt" } }));
    EXPECT_EQ(localFile("\\Program Files\\Quillon\\mailmypcFolderlist"), "1sub\n0a.txt\n\n");

    ASSERT_TRUE(tree.expand("C:\\slow"));
    (void)received();
    m_clock.advance(60s);
    EXPECT_EQ(folders.restored, "C:\\slow");
    EXPECT_EQ(m_ui.lastText(), "[MAIL]메일 내용보기 - TIME OUT(timeout val: 30초) \n다시 요청해주십시오.");
}

class ScriptedUpload final : public AttachmentUpload {
public:
    bool uploadForMail(const std::string& path) override
    {
        uploaded.push_back(path);
        return true;
    }
    void arrived() override { ++arrivals; }
    std::vector<std::string> uploaded;
    int arrivals = 0;
};

TEST_F(MailClientTest, HandheldAttachmentIsUploadedBeforeTheMailGoes)
{
    ScriptedUpload upload;
    MailSender sender(m_context, &upload);
    MailComposer composer(m_ui, m_settings, m_device);
    composer.draft() = { "to@x", "s", "b" };
    ASSERT_TRUE(composer.addAttachment("C:\\pc.doc"));
    ASSERT_TRUE(composer.addAttachment("\\My Documents\\a.txt"));
    sender.send(composer);
    EXPECT_EQ(upload.uploaded, std::vector<std::string> { "\\My Documents\\a.txt" });
    EXPECT_FALSE(link::testing::isReadable(m_peer));
    answer(0, 331, "");
    ASSERT_TRUE(m_loop.runUntil([&] { return link::testing::isReadable(m_peer); }, 5s));
    EXPECT_EQ(received(), link::testing::requestWire(4, 329, "to@x\ns\nC:\\pc.doc;\\My Documents\\a.txt;\nb"));
    // The upload is over once the PC has the file.
    EXPECT_EQ(upload.arrivals, 1);
}

TEST_F(MailClientTest, StoredMailsAreListedWithinTheViewPeriod)
{
    auto store = [&](const std::string& name, const std::string& time) {
        auto file = m_device.toLocal(mailFilePath(m_settings, name));
        std::filesystem::create_directories(file.parent_path());
        ASSERT_TRUE(writeLocalFile(file, "//From : s \r\nTo : t \r\nCc :  \r\nTitle : " + name + " \r\nTime : " + time
                + " \r\nPop3 : p \r\nBody : <pre>b</pre>[END]"));
    };
    store("old", "2026.01.01 목 10:00:00");
    store("new", "2026.03.09 월 10:00:00");
    platform::LocalTime today;
    today.year = 2026;
    today.month = 3;
    today.day = 10;
    m_settings.mailViewPeriod = 5;
    m_box.loadStoredMails(today);
    ASSERT_EQ(m_box.rows().size(), 1u);
    EXPECT_EQ(m_box.rows()[0], (MailListEntry { "new", "s", "p", "new" }));

    // A stored mail opens without asking the PC.
    m_reader.read(&m_box.rows()[0]);
    EXPECT_EQ(m_view.title, "new");
    EXPECT_FALSE(link::testing::isReadable(m_peer));

    m_ui.pushAnswer(Answer::Ok);
    m_box.deleteMail(m_box.rows()[0]);
    EXPECT_EQ(received(), link::testing::requestWire(0, 332, "new\np"));
    EXPECT_FALSE(std::filesystem::exists(m_device.toLocal(mailUserFolder(m_settings) + "\\new")));
    EXPECT_TRUE(m_box.rows().empty());
}

} // namespace
} // namespace pocket::mail
