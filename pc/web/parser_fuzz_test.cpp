#include "pc/web/head_buffer.h"
#include "pc/web/http_date.h"
#include "pc/web/http_request_parser.h"
#include "pc/web/url_mapping.h"
#include "platform/codec/base64.h"

#include <gtest/gtest.h>
#include <random>

namespace pc::web {
namespace {

// Seeds that look like what the server meets, so that mutations reach the
// deeper branches (user-info, query, versions, both headers, all date forms).
const std::string_view kSeeds[] = {
    "GET /a%20b.htm HTTP/1.0\r\nIf-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT",
    "DELETE /u:p@/pda_Upload/f.txt?x=1 HTTP/1.1\r\nAuthorization: Basic dXNlcjpwYXNz",
    "HEAD /x HTTP/1.0\nIf-Modified-Since: Sunday, 06-Nov-94 08:49:37 GMT\nIf-Modified-Since: Sun Nov  6 08:49:37 1994",
    "get /%41%zz%4 HTTP/65535.65535\r\nAuthorization: Basic Zm9v=YmFy\xff\r\n:\r\n",
};

constexpr std::string_view kInteresting = " \r\n:%@?/\\.,-=0123456789ABCabcGHTPSunNov\x80\xff";

std::string mutate(std::string text, std::mt19937& random)
{
    std::uniform_int_distribution<int> edits(1, 8);
    for (int n = edits(random); n > 0; --n) {
        std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        char c = random() % 2 ? static_cast<char>(random()) : kInteresting[random() % kInteresting.size()];
        switch (random() % 3) {
        case 0:
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
            break;
        case 1:
            if (at < text.size())
                text[at] = c;
            break;
        default:
            if (at < text.size())
                text.erase(at, 1 + random() % 8);
            break;
        }
    }
    return text;
}

std::string randomBytes(std::mt19937& random)
{
    std::string text(random() % 200, '\0');
    for (char& c : text)
        c = static_cast<char>(random());
    return text;
}

// Whatever arrives, parsing ends, and what it keeps obeys the rules the
// rest of the server relies on.
void checkParse(const std::string& head)
{
    CHttpRequestInfo info;
    bool ok = parseRequest(head, info);
    EXPECT_EQ(info.url.find('?'), std::string::npos);
    if (ok && info.version == kHttpVersion09) {
        EXPECT_EQ(info.verb, HttpVerb::Get);
    }
    (void)parseHttpDate(head);
    (void)decodeBasicCredentials(head);
    (void)platform::codec::decodeBase64Strict(head);

    const std::vector<CWebFolder> folders = { { "\\", "/srv/root", "404.htm", 0 }, { "/sub", "/srv/sub", "", 1 } };
    if (auto match = findFolderForUrl(info.url, folders)) {
        EXPECT_LT(match->entryIndex, folders.size());
        EXPECT_EQ(match->rest.find(".."), std::string::npos);
        EXPECT_EQ(joinLocalPath(folders[match->entryIndex].folder, match->rest).find(".."), std::string::npos);
    }

    HeadBuffer buffer;
    for (std::size_t at = 0; at < head.size(); at += 7)
        (void)buffer.feed(std::string_view(head).substr(at, 7));
    (void)buffer.feed(kHeadTerminator);
    EXPECT_EQ(buffer.state(), HeadBuffer::State::Complete);
    EXPECT_LE(buffer.head().size(), head.size());
}

TEST(ParserFuzz, RandomAndMutatedHeadsNeverBreakTheParsers)
{
    std::mt19937 random(20261207);
    for (int i = 0; i < 4000; ++i) {
        std::string head = i % 4 == 0 ? randomBytes(random) : mutate(std::string(kSeeds[i % std::size(kSeeds)]), random);
        SCOPED_TRACE(::testing::PrintToString(head));
        checkParse(head);
        if (::testing::Test::HasFailure())
            break;
    }
}

} // namespace
} // namespace pc::web
