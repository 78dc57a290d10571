// Random and mutated bytes through every reader of the shared records: none
// may crash, read outside its input or hand out more than a record holds.

#include "proto/pc_answer.h"
#include "proto/pc_request.h"
#include "proto/upload_block.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace proto {
namespace {

// Bytes drawn mostly from the characters the records are made of, so that
// markers, digits and NULs turn up often enough to reach the deeper paths.
std::string randomBytes(std::mt19937& random, std::size_t maxLength)
{
    static const std::string kAlphabet = std::string("0x12:-+ \n\\_FILESNDCOMPT") + '\0' + "\xFF\x80";
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_int_distribution<std::size_t> letter(0, kAlphabet.size() - 1);
    std::uniform_int_distribution<int> any(0, 255);
    std::string bytes(length(random), '\0');
    for (char& c : bytes)
        c = pick(random) < 8 ? kAlphabet[letter(random)] : static_cast<char>(any(random));
    return bytes;
}

// A well-formed request with a few bytes overwritten.
std::string mutatedRequest(std::mt19937& random)
{
    std::string wire = formatPcRequest({ static_cast<std::int32_t>(random()), 306, randomBytes(random, 40) });
    std::uniform_int_distribution<std::size_t> at(0, wire.size() - 1);
    for (int i = 0; i < 3; ++i)
        wire[at(random)] = static_cast<char>(random());
    return wire;
}

TEST(RecordsFuzz, RequestParserAndSplitterTakeAnyBytes)
{
    std::mt19937 random(20240611);
    RequestSplitter splitter;
    for (int round = 0; round < 4000; ++round) {
        std::string bytes = round % 2 ? randomBytes(random, 1500) : mutatedRequest(random);
        if (auto parsed = parsePcRequest(bytes)) {
            EXPECT_LE(parsed->text.size(), bytes.size());
            EXPECT_EQ(parsed->text.find('\0'), std::string::npos);
        }
        splitter.feed(bytes);
        while (auto unit = splitter.next()) {
            EXPECT_FALSE(unit->empty());
            EXPECT_LE(unit->size(), kMaxRequestBytes);
            (void)parsePcRequest(*unit);
        }
        EXPECT_LT(splitter.buffered(), kMaxRequestBytes);
    }
}

TEST(RecordsFuzz, FormattedRequestsParseBack)
{
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text = randomBytes(random, 1100);
        text = text.substr(0, text.find('\0'));
        PcRequest request { static_cast<std::int32_t>(random()), static_cast<std::int32_t>(random()), text };
        std::string wire = formatPcRequest(request);
        ASSERT_LE(wire.size(), kMaxRequestBytes);
        auto parsed = parsePcRequest(wire);
        // A text holding a marker of its own may make the request unreadable,
        // as it would for the PC; any other text comes back as sent, or cut.
        if (text.find("0xx") != std::string::npos)
            continue;
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->first, request.first);
        EXPECT_EQ(parsed->code, request.code);
        EXPECT_EQ(parsed->text, text.substr(0, parsed->text.size()));
    }
}

TEST(RecordsFuzz, AnswerAndUploadReadersTakeAnyBytes)
{
    std::mt19937 random(99);
    AnswerSplitter answers;
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = randomBytes(random, 2100);
        if (auto answer = decodePcAnswer(bytes)) {
            EXPECT_LT(answer->text.size(), kAnswerTextBytes + 1);
        }
        answers.feed(bytes);
        while (auto answer = answers.next())
            EXPECT_LE(answer->text.size(), kAnswerTextBytes);

        std::string block = bytes.substr(0, kUploadBlockBytes);
        UploadBlock record = makeUploadBlock(block);
        EXPECT_EQ(record.count, static_cast<std::int32_t>(block.size()));
        EXPECT_EQ(record.outcome, classifyUploadBlock(block));
        (void)parseUploadAck(block);
    }
}

} // namespace
} // namespace proto
