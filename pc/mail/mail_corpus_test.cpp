// Real-world-shaped messages (tests/fixtures/mail/corpus) through the whole
// path: delivered to Dovecot, fetched by the POP3 client into the fetch area,
// decoded into mail folders. The same messages are also decoded directly.

#include "pc/mail/mail_file.h"
#include "pc/mail/mail_store.h"
#include "pc/mail/plain_text.h"
#include "pc/mail/pop3_client.h"
#include "pc/mail/private_files.h"
#include "pc/mail/raw_message.h"
#include "pc/mail/stored_message.h"
#include "tests/fixtures/mail/dovecot_server.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <optional>

#include <map>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = QUILLON_MAIL_CORPUS_DIR;

struct Expected {
    std::string_view file;
    std::string_view time;
    std::string_view subject;
    std::string_view from;
    std::string_view cc;
    std::string_view body;
    std::string_view attachmentList;
};

const Expected kCorpusCases[] = {
    { "01_euckr_b.eml", "2002.03.05 화요일 10:11:12", "회의 일정 안내", "홍길동 <hong@example.co.kr>", "",
        "다음 주 월요일 오전 10시에 회의가 있습니다.\r\n참석 부탁드립니다.\r\n", "" },
    { "02_utf8_q.eml", "2002.03.06 수요일 08:00:00", "이번 달 소식", "news@example.org", "",
        "안녕하세요. 이번 달 소식지를 보내 드립니다 = 감사합니다.\r\n", "" },
    { "03_split_subject.eml", "2002.03.07 목요일 09:30:00", "한국어로 쓴 아주 긴 제목입니다", "a@example.com", "",
        "본문\r\n", "" },
    { "04_alternative.eml", "2002.03.08 금요일 11:00:00", "점심 약속", "이영희 <lee@example.co.kr>", "",
        "<HTML><BODY><DIV>점심 같이 드실래요?</DIV></BODY></HTML>", "" },
    { "05_mixed_attachment.eml", "2002.03.11 월요일 14:00:00", "Report", "boss@example.com",
        "lee@example.co.kr,<park@example.com>", "Please find the report attached.\r\n\r\n", "/보고서.pdf" },
    { "06_related_in_mixed.eml", "2002.03.12 화요일 09:00:00", "주문 확인", "shop@example.com", "",
        "<html><body>주문이 확인되었습니다.<br><img src=\"cid:logo\"></body></html>\r\n", "/logo.gif/영수증.txt" },
    { "07_delivery_status.eml", "2002.03.13 수요일 10:00:00", "Undelivered Mail Returned to Sender",
        "MAILER-DAEMON@example.com (Mail Delivery System)", "",
        "I'm sorry to have to inform you that your message could not\r\nbe delivered to one or more "
        "recipients.\r\n\r\n\r\n\r\nReporting-MTA: dns; example.com\r\nFinal-Recipient: rfc822; "
        "nobody@example.net\r\nAction: failed\r\nStatus: 5.1.1\r\n\r\n",
        "" },
    { "08_image_only.eml", "2002.03.14 목요일 18:00:00", "photo", "camera@example.com", "", "이미지 메일입니다.", "" },
    { "09_long_body.eml", "2002.03.15 금요일 12:00:00", "long", "long@example.com", "", "", "" },
    { "10_traversal_name.eml", "2002.03.16 토요일 12:00:00", "innocent", "evil@example.com", "",
        "see attachment\r\n", "/x" },
    { "11_iso2022kr.eml", "2002.03.17 일요일 12:00:00", "안녕", "old@example.co.kr", "", "반갑습니다\r\n", "" },
};

std::string corpusFile(std::string_view name)
{
    return readFileBytes(kCorpus / name).valueOr(std::string());
}

// The message as a RETR answer: status line, dot-stuffed text, terminator.
std::string asRetrAnswer(std::string_view message)
{
    std::string out = "+OK message follows\r\n";
    bool lineStart = true;
    for (char c : message) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out + ".\r\n";
}

void expectDecoded(const Expected& e, const MimeMessage& m, std::string_view attachmentList)
{
    SCOPED_TRACE(e.file);
    EXPECT_EQ(m.time, e.time);
    EXPECT_EQ(m.subject, e.subject);
    EXPECT_EQ(m.from, e.from);
    EXPECT_EQ(m.cc, e.cc);
    if (e.file == "09_long_body.eml") {
        EXPECT_GE(m.body.size(), 12000u);
        EXPECT_TRUE(m.body.starts_with("The quick brown fox"));
    } else {
        EXPECT_EQ(m.body, e.body);
    }
    EXPECT_EQ(attachmentList, e.attachmentList);
}

TEST(MailCorpus, DecodesEveryMessageDirectly)
{
    for (const Expected& e : kCorpusCases) {
        std::string message = corpusFile(e.file);
        ASSERT_FALSE(message.empty()) << e.file;
        auto decoded = decodeMessageText(asRetrAnswer(message), "pop.example.com", "u");
        ASSERT_TRUE(decoded) << e.file;
        std::string list;
        for (const auto& attachment : decoded->attachments)
            list += "/" + attachment.fileName;
        expectDecoded(e, decoded->message, list);
    }
}

class MailCorpusDovecotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto started = tests::fixtures::DovecotServer::start({ { "kim", "secret" } });
        ASSERT_TRUE(started) << started.error();
        m_server = std::move(*started);
        m_temp.emplace("mail_corpus_test");
        m_root = m_temp->path();
    }
    void TearDown() override
    {
        m_temp.reset();
    }

    std::unique_ptr<tests::fixtures::DovecotServer> m_server;
    std::optional<platform::TempFolder> m_temp;
    fs::path m_root;
};

TEST_F(MailCorpusDovecotTest, FetchesAndDecodesTheCorpus)
{
    for (const Expected& e : kCorpusCases)
        ASSERT_TRUE(m_server->deliver("kim", corpusFile(e.file)));

    MailStore store(m_root / "boxes", m_root / "Quillon");
    const std::string server = "127.0.0.1";
    ASSERT_TRUE(store.prepareAccount("kim", server));
    Pop3Client client(server, m_server->port(), "", "");
    client.setCredentials("kim", "secret");
    ASSERT_TRUE(client.connect()) << client.lastError() << m_server->log();
    int count = client.stat();
    ASSERT_EQ(count, static_cast<int>(std::size(kCorpusCases)));
    ASSERT_TRUE(client.uidl(count));

    std::map<std::string, const Expected*> byTime;
    for (const Expected& e : kCorpusCases)
        byTime[std::string(e.time)] = &e;
    std::string mailList;
    for (std::size_t i = 0; i < client.uids().size(); ++i) {
        const std::string& uid = client.uids()[i];
        MailRecord record;
        fs::path raw = store.rawMessagePath("kim", server, uid);
        ASSERT_TRUE(client.retrieve(static_cast<int>(i) + 1, record, raw)) << client.lastError();
        mailList += mailListLine(record.subject, record.from, server, uid);

        auto stored = decodeStoredMessage(store, "kim", raw, server, uid);
        ASSERT_TRUE(stored);
        ASSERT_TRUE(byTime.count(stored->message.time)) << stored->message.time;
        const Expected& e = *byTime[stored->message.time];
        expectDecoded(e, stored->message, stored->attachmentList);
        EXPECT_EQ(record.subject, e.subject);

        fs::path folder = store.mailFolder("kim", uid);
        std::string header = buildMailHeaderBlock({ stored->attachmentList, stored->message.from, stored->message.to,
            stored->message.cc, stored->message.subject, stored->message.time, server });
        EXPECT_EQ(*readFileBytes(folder / uid), buildMailFile(header, stored->message.body)) << e.file;
        std::string preview = *readFileBytes(folder / (uid + ".txt"));
        EXPECT_EQ(preview, buildMailFile(header, reduceToPlainText(stored->message.body).substr(0, kPreviewBodyBytes)))
            << e.file;
        if (e.file == "05_mixed_attachment.eml") {
            EXPECT_EQ(*readFileBytes(folder / "보고서.pdf"), corpusFile("05_attachment.bin"));
        }
        if (e.file == "06_related_in_mixed.eml") {
            EXPECT_EQ(*readFileBytes(folder / "영수증.txt"), "receipt");
        }
        if (e.file == "09_long_body.eml") {
            EXPECT_EQ(preview.size(), header.size() + 12 + kPreviewBodyBytes + 11);
        }
        if (e.file == "10_traversal_name.eml") {
            EXPECT_EQ(*readFileBytes(folder / "x"), "payload");
            EXPECT_FALSE(fs::exists(m_root / "Quillon/x"));
            EXPECT_FALSE(fs::exists(m_root / "Quillon/pda_Mail/x"));
        }
    }
    EXPECT_TRUE(client.quit());
    ASSERT_TRUE(store.writeMailList(mailList + "\n"));
    std::string written = *readFileBytes(store.mailListPath());
    EXPECT_NE(written.find("점심 약속\t이영희 <lee@example.co.kr>\t127.0.0.1\t"), std::string::npos) << written;
    EXPECT_TRUE(written.ends_with("\n\n"));
}

} // namespace
} // namespace pc::mail
