#include "pc/mail/mail_store.h"

#include "pc/mail/mail_file.h"
#include "pc/mail/plain_text.h"
#include "pc/mail/private_files.h"
#include "pc/mail/safe_name.h"
#include "pc/mail/seen_index.h"
#include "pc/mail/stored_message.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;

class MailStoreTest : public ::testing::Test {
protected:
    MailStore store() const { return MailStore(m_root / "boxes", m_root / "Quillon"); }
    std::string read(const fs::path& file) const { return readFileBytes(file).valueOr(std::string("<missing>")); }
    static mode_t modeOf(const fs::path& path)
    {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    MimeMessage message(std::string uid) const
    {
        MimeMessage m;
        m.from = "A";
        m.to = "B";
        m.subject = "hello";
        m.time = "2002.03.05 화요일 10:11:12";
        m.server = "S";
        m.uid = uid;
        m.mailFolder = store().mailFolder("kim", uid).string();
        return m;
    }

    platform::TempFolder m_temp { "mail_store_test" };
    fs::path m_root = m_temp.path();
};

TEST_F(MailStoreTest, FullMailFileByteForByte)
{
    MimeMessage m = message("u1");
    ASSERT_TRUE(store().createMailFolder("kim", "u1"));
    ASSERT_TRUE(store().writeMailFiles(m, "", "hi"));
    fs::path folder = m_root / "Quillon/pda_Mail/kim/u1";
    const std::string header = "//From : A \r\nTo : B \r\nCc :  \r\nTitle : hello \r\n"
                               "Time : 2002.03.05 화요일 10:11:12 \r\nPop3 : S \r\n";
    EXPECT_EQ(read(folder / "u1"), header + "Body : <pre>hi</pre>[END]");
    EXPECT_EQ(read(folder / "u1.body"), "hi");
    EXPECT_EQ(read(folder / "u1.temp"), "hi\r\n");
    EXPECT_EQ(read(folder / "u1.txt"), header + "Body : <pre>hi\n</pre>[END]");
    for (auto name : { "u1", "u1.body", "u1.temp", "u1.txt" })
        EXPECT_EQ(modeOf(folder / name), 0600u) << name;
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(m_root / "Quillon/pda_Mail"), 0700u);
}

TEST_F(MailStoreTest, AttachmentListLeadsTheHeader)
{
    EXPECT_EQ(buildMailHeaderBlock({ "/a.jpg/b.doc", "A", "B", "", "s", "t", "S" }).substr(0, 20),
        "a.jpg/b.doc//From : ");
    EXPECT_EQ(buildMailHeaderBlock({ "", "A", "", "", "", "", "" }).substr(0, 9), "//From : ");
}

TEST_F(MailStoreTest, PreviewTakesTheFirst5000BytesOfTheReducedText)
{
    MimeMessage m = message("big");
    ASSERT_TRUE(store().createMailFolder("kim", "big"));
    std::string body;
    for (int i = 0; i < 12000; ++i)
        body += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(store().writeMailFiles(m, "", body));
    fs::path folder = m_root / "Quillon/pda_Mail/kim/big";
    std::string preview = read(folder / "big.txt");
    std::string expectedBody = "Body : <pre>" + body.substr(0, kPreviewBodyBytes) + "</pre>[END]";
    EXPECT_TRUE(preview.ends_with(expectedBody));
    EXPECT_EQ(read(folder / "big"), buildMailFile(buildMailHeaderBlock({ "", "A", "B", "", "hello", m.time, "S" }), body));
}

TEST_F(MailStoreTest, MailListIsReplacedAndPrivate)
{
    ASSERT_TRUE(store().writeMailList("\n"));
    EXPECT_EQ(read(store().mailListPath()), "\n");
    std::string list = mailListLine("hello", "A", "S", "u1") + mailListLine("제목없음", "B", "S", "u2") + "\n";
    ASSERT_TRUE(store().writeMailList(list));
    EXPECT_EQ(read(store().mailListPath()), "hello\tA\tS\tu1\n제목없음\tB\tS\tu2\n\n");
    EXPECT_EQ(modeOf(store().mailListPath()), 0600u);
}

TEST_F(MailStoreTest, SeenIndexLinesAndAppends)
{
    ASSERT_TRUE(store().prepareAccount("kim", "pop.example.com"));
    fs::path index = store().seenIndexPath("kim", "pop.example.com");
    EXPECT_EQ(index, m_root / "boxes/kim_pda/pop.example.com/index");
    EXPECT_EQ(read(index), "");
    EXPECT_EQ(modeOf(index), 0600u);
    EXPECT_EQ(modeOf(m_root / "boxes/kim_pda"), 0700u);
    ASSERT_TRUE(markSeen(index, "u1"));
    ASSERT_TRUE(markSeen(index, "u2"));
    EXPECT_EQ(read(index), "\r\nu1\r\nu2");
    EXPECT_TRUE(isSeen(index, "u1"));
    EXPECT_TRUE(isSeen(index, "u2"));
    EXPECT_FALSE(isSeen(index, "u3"));
    EXPECT_FALSE(isSeen(index, "u"));
    EXPECT_FALSE(isSeen(index, ""));
    ASSERT_TRUE(markSeen(index, "u3"));
    EXPECT_EQ(read(index), "\r\nu1\r\nu2\r\nu3");
    // Preparing again keeps what the index holds.
    ASSERT_TRUE(store().prepareAccount("kim", "pop.example.com"));
    EXPECT_TRUE(isSeen(index, "u3"));
    EXPECT_FALSE(isSeen(m_root / "no-such-index", "u1"));
}

TEST_F(MailStoreTest, OutsideNamesStayInsideTheirFolders)
{
    MailStore s = store();
    EXPECT_EQ(s.rawMessagePath("kim", "../..", "../../etc/passwd"), m_root / "boxes/kim_pda/.._../.._.._etc_passwd");
    EXPECT_EQ(s.rawMessagePath("kim", "pop", "index"), m_root / "boxes/kim_pda/pop/index_");
    EXPECT_EQ(s.mailFolder("../kim", "."), m_root / "Quillon/pda_Mail/.._kim/_");
    EXPECT_EQ(mailName(std::string("a\0b\r\n", 5)), "a_b__");
    EXPECT_EQ(mailName(""), "_");
    EXPECT_EQ(mailName(std::string(300, 'x')).size(), kMaxComponentBytes);
    EXPECT_EQ(safeAttachmentName("dir/"), "");
    EXPECT_EQ(safeAttachmentName("..\\..\\..\\boot.ini"), "boot.ini");
    EXPECT_EQ(safeAttachmentName("../.."), "_");
}

TEST(PlainText, ReducesBodies)
{
    struct Case {
        std::string_view name;
        std::string_view body;
        std::string_view expected;
    };
    const Case cases[] = {
        { "html with entity", "<p>Hi<br>there&nbsp;!</p>", "Hi\nthere!\n" },
        { "line breaks vanish", "one\r\ntwo\r\n", "onetwo\n" },
        { "div and BR in any case", "a<DIV>b<Br>c<div class=x>d", "a\nb\nc" "d\n" },
        { "double ampersand", "fish&&chips", "fish&chips\n" },
        { "lone ampersand is text", "AT&T rocks", "AT&T rocks\n" },
        { "lone less-than is text", "1 < 2 and 3 > 2", "1 < 2 and 3 > 2\n" },
        { "numeric entity", "a&#160;b", "ab\n" },
        { "header pieces come first", "<p>x</p>\r\nFrom: a@b\r\ny\r\n", "From: a@b\nxy\n" },
        { "empty", "", "\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reduceToPlainText(c.body), c.expected);
    }
}

TEST(PlainText, LongLinesAreReadInPiecesAndTheWorkingTextIsCut)
{
    // A "Subject: " mark in the middle of a long line keeps only its piece.
    std::string line = std::string(80, 'a') + "Subject: x" + std::string(80, 'b');
    std::string reduced = reduceToPlainText(line);
    EXPECT_EQ(reduced.substr(0, 76), line.substr(76, 76));
    std::string huge(150000, 'z');
    EXPECT_EQ(reduceToPlainText(huge).size(), kPlainTextWorkingLimit + 1);
    // Korean text is never cut inside a character.
    std::string korean;
    for (int i = 0; i < 40; ++i)
        korean += "한";
    EXPECT_EQ(reduceToPlainText(korean), korean + "\n");
}

TEST_F(MailStoreTest, DecodesAStoredMessageIntoItsFolder)
{
    MailStore s = store();
    ASSERT_TRUE(s.prepareAccount("kim", "S"));
    fs::path rawPath = s.rawMessagePath("kim", "S", "u9");
    ASSERT_TRUE(writePrivateFile(rawPath,
        "+OK\r\nFrom: A\r\nSubject: hello\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/plain\r\n\r\nhi\r\n"
        "--b\r\nContent-Type: image/jpeg; name=a.jpg\r\nContent-Transfer-Encoding: base64\r\n\r\n/9j/\r\n"
        "--b\r\nContent-Type: application/msword\r\nContent-Disposition: attachment; filename=\"../../b.doc\"\r\n\r\ndoc\r\n"
        "--b--\r\n.\r\n"));
    auto stored = decodeStoredMessage(s, "kim", rawPath, "S", "u9");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->attachmentList, "/a.jpg/b.doc");
    fs::path folder = s.mailFolder("kim", "u9");
    EXPECT_EQ(read(folder / "a.jpg"), "\xFF\xD8\xFF");
    EXPECT_EQ(read(folder / "b.doc"), "doc");
    EXPECT_FALSE(fs::exists(m_root / "Quillon/pda_Mail/b.doc"));
    EXPECT_EQ(modeOf(folder / "a.jpg"), 0600u);
    std::string full = read(folder / "u9");
    EXPECT_TRUE(full.starts_with("a.jpg/b.doc//From : A \r\nTo :  \r\nCc :  \r\nTitle : hello \r\n")) << full;
    EXPECT_TRUE(full.ends_with("Pop3 : S \r\nBody : <pre>hi\r\n</pre>[END]")) << full;
}

TEST_F(MailStoreTest, StoredMessageFailures)
{
    MailStore s = store();
    auto missing = decodeStoredMessage(s, "kim", m_root / "nothing", "S", "u1");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), StoredMessageError::Unreadable);

    ASSERT_TRUE(s.prepareAccount("kim", "S"));
    fs::path rawPath = s.rawMessagePath("kim", "S", "u2");
    ASSERT_TRUE(writePrivateFile(rawPath, "+OK\r\nContent-Type: multipart/mixed\r\n\r\n--x\r\n\r\nhi\r\n.\r\n"));
    auto noBoundary = decodeStoredMessage(s, "kim", rawPath, "S", "u2");
    ASSERT_FALSE(noBoundary);
    EXPECT_EQ(noBoundary.error(), StoredMessageError::MissingBoundary);
    EXPECT_TRUE(fs::is_empty(s.mailFolder("kim", "u2")));
}

} // namespace
} // namespace pc::mail
