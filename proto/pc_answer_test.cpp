#include "proto/pc_answer.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace proto {
namespace {

std::string bytesOf(const AnswerRecord& record) { return std::string(record.data(), record.size()); }

TEST(PcAnswer, EncodesGoldenBytes)
{
    std::string record = bytesOf(encodePcAnswer({1, 310, "YES\\C:\\\\"}));
    ASSERT_EQ(record.size(), 1032u);
    EXPECT_EQ(record.substr(0, 8), "\x01\x00\x00\x00\x36\x01\x00\x00"s);
    EXPECT_EQ(record.substr(8, 10), "YES\\C:\\\\\0\0"s);
    EXPECT_EQ(record.substr(18), std::string(1014, '\0'));

    std::string negative = bytesOf(encodePcAnswer({-2, 0x01020304, ""}));
    EXPECT_EQ(negative.substr(0, 9), "\xFE\xFF\xFF\xFF\x04\x03\x02\x01\0"s);
}

TEST(PcAnswer, CutsTextSoTheTerminatorFits)
{
    std::string record = bytesOf(encodePcAnswer({0, 306, std::string(1500, 'z')}));
    EXPECT_EQ(record.substr(8, 1023), std::string(1023, 'z'));
    EXPECT_EQ(record.back(), '\0');
}

TEST(PcAnswer, DecodesGoldenBytes)
{
    std::string record = "\x0B\x00\x00\x00\x32\x01\x00\x00serverfolder"s;
    record.resize(kAnswerBytes, '\0');
    auto answer = decodePcAnswer(record);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (PcAnswer { 11, 306, "serverfolder" }));
    EXPECT_EQ(decodePcAnswer(record.substr(0, 1031)).error(), AnswerError::Incomplete);
}

TEST(PcAnswer, CarriesADetailBehindTheTextsZero)
{
    std::string record = bytesOf(encodePcAnswer({ 0, 329, "error", "no relay" }));
    // An older handheld reads "error" and nothing else.
    EXPECT_EQ(record.substr(8, 16), "error\0no relay\0\0"s.substr(0, 16));
    EXPECT_EQ(record.substr(8 + 15), std::string(1024 - 15, '\0'));
    auto answer = decodePcAnswer(record);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->text, "error");
    EXPECT_EQ(answer->detail, "no relay");

    // The detail takes what room the text leaves, and keeps its own zero.
    std::string text(1000, 't');
    auto full = decodePcAnswer(bytesOf(encodePcAnswer({ 0, 304, text, std::string(100, 'd') })));
    EXPECT_EQ(full->detail, std::string(detailRoom(1000), 'd'));
    EXPECT_EQ(detailRoom(1000), 22u);
    EXPECT_EQ(detailRoom(1022), 0u);
    auto none = decodePcAnswer(bytesOf(encodePcAnswer({ 0, 304, std::string(1500, 't'), "lost" })));
    EXPECT_EQ(none->text.size(), 1023u);
    EXPECT_EQ(none->detail, "");
}

TEST(AnswerSplitter, CollectsRecordsAcrossArbitrarySplits)
{
    std::string stream = bytesOf(encodePcAnswer({0, 328, ""})) + bytesOf(encodePcAnswer({5, 306, ".\n"}));
    for (std::size_t at : { 0u, 1u, 8u, 1031u, 1032u, 1033u, 2000u }) {
        SCOPED_TRACE(at);
        AnswerSplitter splitter;
        splitter.feed(stream.substr(0, at));
        std::vector<PcAnswer> got;
        while (auto a = splitter.next())
            got.push_back(*a);
        splitter.feed(stream.substr(at));
        while (auto a = splitter.next())
            got.push_back(*a);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0], (PcAnswer { 0, 328, "" }));
        EXPECT_EQ(got[1], (PcAnswer { 5, 306, ".\n" }));
    }
}

} // namespace
} // namespace proto
