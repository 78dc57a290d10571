// The service talking to a handheld whose code page is CP949: request texts
// are read in it, answer texts and the files the handheld fetches are
// written in it, and names on the PC's disk stay UTF-8.

#include "pc/service/testing/service_fixture.h"
#include "platform/codepage.h"
#include "proto/pc_answer.h"

#include <cstdio>

namespace pc::service::testing {
namespace {

std::string cp949(std::string_view utf8)
{
    return platform::fromUtf8(utf8, platform::kCp949);
}

// Every byte above ASCII percent-encoded, as a handheld puts a name into a URL.
std::string urlPath(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80 && c != '%' && c != ' ') {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        out += escaped;
    }
    return out;
}

class Cp949ServiceTest : public ServiceFixture {
protected:
    Cp949ServiceTest()
        : ServiceFixture(std::string(platform::kCp949))
    {
    }

    void SetUp() override
    {
        service->start();
        handheld = loggedInHandheld();
    }

    std::optional<proto::PcAnswer> request(std::int32_t code, const std::string& wireText, std::int32_t first = 0)
    {
        return ask(*handheld, { first, code, wireText });
    }

    std::unique_ptr<ScriptedHandheld> handheld;
};

TEST_F(Cp949ServiceTest, KoreanFolderNameTravelsInCp949InlineAndInTheListFile)
{
    std::filesystem::create_directories(disk() / "문서");
    auto answer = request(306, "C:\\", 12);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 12, 306, "." + cp949("1문서\n\n") }));
    EXPECT_EQ(readFile(root() / "serverfolder"), cp949("1문서\n\n"));

    auto fetched = httpGet(web->webPort(), "/serverfolder");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->status, 200);
    EXPECT_EQ(fetched->body, cp949("1문서\n\n"));
}

TEST_F(Cp949ServiceTest, Cp949PathOpensTheUtf8Folder)
{
    writeFile(disk() / "문서" / "보고서.txt", "0123456789");
    auto answer = request(306, cp949("C:\\문서\\"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->text, "." + cp949("0보고서.txt\n\n"));
    EXPECT_EQ(readFile(root() / "serverfoldersize"), "10\n\n");
}

TEST_F(Cp949ServiceTest, InlineLimitCountsTheCp949Bytes)
{
    // Each entry ("0", two syllables, two letters, ".t", "\n") is 12 UTF-8
    // bytes but 10 CP949 bytes: 85 of them make a list of 1021 UTF-8 bytes
    // and 851 CP949 bytes, which travels inline.
    for (int i = 0; i < 85; ++i) {
        std::string letters { static_cast<char>('A' + i / 26), static_cast<char>('a' + i % 26) };
        writeFile(disk() / "many" / ("가" + letters + "나.t"), "");
    }
    auto answer = request(306, "C:\\many\\");
    ASSERT_TRUE(answer);
    ASSERT_FALSE(answer->text.empty());
    EXPECT_EQ(answer->text.front(), '.');
    EXPECT_GE(platform::toUtf8(answer->text, platform::kCp949).size(), 900u);
    EXPECT_LT(answer->text.size(), 900u);
    EXPECT_EQ(answer->text.substr(1), readFile(root() / "serverfolder"));
}

TEST_F(Cp949ServiceTest, UploadAnnouncedWithACp949NameLandsUnderItsUtf8Name)
{
    auto upload = ScriptedUpload::connect(service->uploadPort());
    ASSERT_TRUE(upload);
    pumpUntil([&] { return service->uploadConnectionCount() > 0; });
    auto accepted = request(309, "3\n" + cp949("사진.jpg") + "\nowner");
    ASSERT_TRUE(accepted);
    EXPECT_EQ(*accepted, (proto::PcAnswer { 0, 309, "" }));
    upload->sendBlock("abc");
    pumpUntil([&] { return upload->pump(), !upload->acks().empty(); });
    upload->sendBlock("FILE_SEND_COMPLETE");
    auto done = awaitAnswer(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(readFile(root() / "pda_Upload" / "사진.jpg"), "abc");
}

TEST_F(Cp949ServiceTest, DownloadNameTravelsInCp949AndItsUrlFindsTheUtf8File)
{
    writeFile(disk() / "문서" / "보고서.txt", "0123456789");
    auto answer = request(308, cp949("C:\\문서\\보고서.txt"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 10, 308, cp949("보고서.txt") }));
    EXPECT_EQ(readFile(root() / "pda_Download" / "보고서.txt"), "0123456789");

    auto fetched = httpGet(web->webPort(), "/pda_Download/" + urlPath(answer->text));
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->status, 200);
    EXPECT_EQ(fetched->body, "0123456789");
}

TEST_F(Cp949ServiceTest, MailPiecesAreCountedInTheBytesTheHandheldSent)
{
    auto first = request(329, "a@b.c\n" + cp949("제목"), 3);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (proto::PcAnswer { 10, 330, "NEXT" }));
    auto middle = request(329, cp949("\n\n본문"), 0);
    ASSERT_TRUE(middle);
    EXPECT_EQ(*middle, (proto::PcAnswer { 16, 330, "NEXT" }));
}

TEST_F(Cp949ServiceTest, AnswerCutAtTheTextFieldNeverEndsInHalfACharacter)
{
    std::string syllables;
    for (int i = 0; i < 600; ++i)
        syllables += "한";
    struct Case {
        std::string_view name;
        std::string text;
        std::size_t wireBytes;
    };
    const Case cases[] = {
        // 1023 bytes would end after the lead byte of the 512th syllable.
        { "even", syllables, 1022 },
        { "odd", "a" + syllables, 1023 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        service->sendAnswer({ 0, 313, c.text });
        auto answer = awaitAnswer(*handheld);
        ASSERT_TRUE(answer);
        ASSERT_EQ(answer->text.size(), c.wireBytes);
        std::string back = platform::toUtf8(answer->text, platform::kCp949);
        EXPECT_TRUE(c.text.starts_with(back));
        EXPECT_EQ(back.find("\xef\xbf\xbd"), std::string::npos); // No replacement character.
    }
}

} // namespace
} // namespace pc::service::testing
