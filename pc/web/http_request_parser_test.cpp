#include "pc/web/head_buffer.h"
#include "pc/web/http_request_parser.h"

#include <gtest/gtest.h>

namespace pc::web {
namespace {

struct LineCase {
    std::string_view name;
    std::string_view line;
    bool ok;
    HttpVerb verb;
    std::string_view url;
    std::string_view query;
    std::uint32_t version;
    AuthorizationType auth = AuthorizationType::None;
    std::string_view user = "";
    std::string_view password = "";
};

const LineCase kLines[] = {
    { "encoded space", "GET /a%20b.htm HTTP/1.0", true, HttpVerb::Get, "/a b.htm", "", 0x10000 },
    { "HTTP/1.1", "GET /x HTTP/1.1", true, HttpVerb::Get, "/x", "", 0x10001 },
    { "no version is 0.9", "GET /index.html", true, HttpVerb::Get, "/index.html", "", 9 },
    { "HEAD needs a version", "HEAD /index.html", false, HttpVerb::Head, "/index.html", "", 0 },
    { "lower-case verb", "get /x HTTP/1.1", true, HttpVerb::Get, "/x", "", 0x10001 },
    { "minor missing", "GET /x HTTP/1", false, HttpVerb::Get, "/x", "", 0 },
    { "not HTTP", "GET /x FTP/1.0", false, HttpVerb::Get, "/x", "", 0 },
    { "letters in version", "GET /x HTTP/a.b", false, HttpVerb::Get, "/x", "", 0 },
    { "query", "GET /dir/page?x=1 HTTP/1.0", true, HttpVerb::Get, "/dir/page", "x=1", 0x10000 },
    { "runs of spaces", "GET   /x    HTTP/1.0", true, HttpVerb::Get, "/x", "", 0x10000 },
    { "no target", "GET", false, HttpVerb::Get, "", "", 0 },
    { "empty line", "", false, HttpVerb::Unknown, "", "", 0 },
    { "unknown verb parses", "BREW /pot HTTP/1.0", true, HttpVerb::Unknown, "/pot", "", 0x10000 },
    { "DELETE", "DELETE /f HTTP/1.0", true, HttpVerb::Delete, "/f", "", 0x10000 },
    { "POST", "post /f HTTP/1.0", true, HttpVerb::Post, "/f", "", 0x10000 },
    { "user-info with password", "GET /name:secret@/dir/f.txt HTTP/1.0", true, HttpVerb::Get, "/dir/f.txt", "",
        0x10000, AuthorizationType::Basic, "/name", "secret" },
    { "user-info without password", "GET /name@/f HTTP/1.0", true, HttpVerb::Get, "/f", "", 0x10000,
        AuthorizationType::Basic, "/name", "" },
    { "encoded @ is user-info after decoding", "GET /u%3Ap%40/f HTTP/1.0", true, HttpVerb::Get, "/f", "", 0x10000,
        AuthorizationType::Basic, "/u", "p" },
    { "query after user-info", "GET /u:p@/f?q HTTP/1.0", true, HttpVerb::Get, "/f", "q", 0x10000,
        AuthorizationType::Basic, "/u", "p" },
    { "@ inside a folder name", "GET /pda_Mail/kim/<12@host>/<12@host> HTTP/1.0", true, HttpVerb::Get,
        "/pda_Mail/kim/<12@host>/<12@host>", "", 0x10000 },
    { "@ in a file name", "GET /pda_Download/a@b.zip HTTP/1.0", true, HttpVerb::Get, "/pda_Download/a@b.zip", "",
        0x10000 },
    { "@ not followed by a path", "GET /mail@home.txt HTTP/1.0", true, HttpVerb::Get, "/mail@home.txt", "", 0x10000 },
    { "user-info, then @ in the path", "GET /u:p@/d/a@b HTTP/1.0", true, HttpVerb::Get, "/d/a@b", "", 0x10000,
        AuthorizationType::Basic, "/u", "p" },
    { "user-info before a backslash path", "GET /u@\\d\\f HTTP/1.0", true, HttpVerb::Get, "\\d\\f", "", 0x10000,
        AuthorizationType::Basic, "/u", "" },
};

TEST(RequestLineParser, ParsesTable)
{
    for (const auto& c : kLines) {
        SCOPED_TRACE(c.name);
        CHttpRequestInfo info;
        EXPECT_EQ(parseRequestLine(c.line, info), c.ok);
        EXPECT_EQ(info.verb, c.verb);
        EXPECT_EQ(info.url, c.url);
        EXPECT_EQ(info.query, c.query);
        if (c.ok) {
            EXPECT_EQ(info.version, c.version);
        }
        EXPECT_EQ(info.authorizationType, c.auth);
        EXPECT_EQ(info.user, c.user);
        EXPECT_EQ(info.password, c.password);
    }
}

TEST(PercentDecode, DecodesOnceAndKeepsMalformedEscapes)
{
    struct Case {
        std::string_view in, out;
    };
    const Case cases[] = {
        { "/a%20b", "/a b" },
        { "%2e%2E", ".." },
        { "%252e%252e", "%2e%2e" }, // One decoding only.
        { "100%", "100%" },
        { "%4", "%4" },
        { "%zz%41", "%zzA" },
        { "a+b", "a+b" },
        { "%c0%ae", "\xc0\xae" },
        { "%00x", std::string_view("\0x", 2) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(percentDecode(c.in), c.out);
    }
}

TEST(BasicCredentials, DecodesOrRefuses)
{
    auto good = decodeBasicCredentials("Basic dXNlcjpwYTpzcw=="); // user:pa:ss
    ASSERT_TRUE(good);
    EXPECT_EQ(good->user, "user");
    EXPECT_EQ(good->password, "pa:ss");
    EXPECT_FALSE(decodeBasicCredentials("Basic dXNl*cjpwYXNz")); // Outside the alphabet.
    EXPECT_FALSE(decodeBasicCredentials("Basic dXNlcg==")); // "user": no colon.
    EXPECT_FALSE(decodeBasicCredentials("basic dXNlcjpwYXNz")); // Scheme is case-sensitive.
    EXPECT_FALSE(decodeBasicCredentials("Basic"));
    EXPECT_FALSE(decodeBasicCredentials("Digest dXNlcjpwYXNz"));
}

TEST(HeaderLine, SplitsAtFirstColonAndTrims)
{
    auto header = splitHeaderLine("  Host :  a:b  ");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, "Host");
    EXPECT_EQ(header->value, "a:b");
    EXPECT_FALSE(splitHeaderLine("no colon here"));
}

TEST(RequestParser, AppliesUnderstoodHeadersAndIgnoresBadOnes)
{
    CHttpRequestInfo info;
    ASSERT_TRUE(parseRequest("GET /f HTTP/1.0\r\n"
                             "If-Modified-Since: Sunday, 06-Nov-94 08:49:37 GMT\r\n"
                             "garbage line\r\n"
                             "Authorization: Basic dXNlcjpwYXNz\r\n"
                             "X-Other: 1",
        info));
    EXPECT_EQ(info.requestLine, "GET /f HTTP/1.0");
    EXPECT_TRUE(info.hasIfModifiedSince);
    EXPECT_EQ(info.ifModifiedSince.year, 1994);
    EXPECT_EQ(info.authorizationType, AuthorizationType::Basic);
    EXPECT_EQ(info.user, "user");
    EXPECT_EQ(info.password, "pass");

    CHttpRequestInfo other;
    ASSERT_TRUE(parseRequest("GET /f HTTP/1.0\n"
                             "if-modified-since: Sun, 06 Nov 1994 08:49:37 GMT\n" // Names are case-sensitive.
                             "Authorization: Basic dXNlcg==\n"
                             "If-Modified-Since: yesterday",
        other));
    EXPECT_FALSE(other.hasIfModifiedSince);
    EXPECT_EQ(other.authorizationType, AuthorizationType::None);

    CHttpRequestInfo bad;
    EXPECT_FALSE(parseRequest("GET /f HTTP/x\r\nHost: a", bad));
    EXPECT_EQ(bad.requestLine, "GET /f HTTP/x");
}

// Feeds a stream into a HeadBuffer split at `cut` (and byte by byte when cut is 0).
HeadBuffer feedSplit(std::string_view wire, std::size_t cut)
{
    HeadBuffer buffer;
    if (cut == 0) {
        for (char c : wire)
            buffer.feed(std::string_view(&c, 1));
    } else {
        buffer.feed(wire.substr(0, cut));
        buffer.feed(wire.substr(cut));
    }
    return buffer;
}

TEST(HeadBuffer, FindsTheBlankLineWhateverTheChunks)
{
    const std::string wire = "GET /x HTTP/1.0\r\nHost: a\r\n\r\nbody bytes\r\n\r\n";
    for (std::size_t cut = 0; cut < wire.size(); ++cut) {
        SCOPED_TRACE(cut);
        HeadBuffer buffer = feedSplit(wire, cut);
        ASSERT_EQ(buffer.state(), HeadBuffer::State::Complete);
        EXPECT_EQ(buffer.head(), "GET /x HTTP/1.0\r\nHost: a");
    }
    HeadBuffer partial;
    EXPECT_EQ(partial.feed("GET /x HTTP/1.0\r\n\r"), HeadBuffer::State::Incomplete);
    EXPECT_EQ(partial.head(), "");
}

TEST(HeadBuffer, GrowsPastTheFirstBufferAndStopsAtTheLimit)
{
    std::string longHead = "GET /x HTTP/1.0\r\nX-Long: " + std::string(5000, 'a');
    HeadBuffer grown = feedSplit(longHead + "\r\n\r\n", 1024);
    ASSERT_EQ(grown.state(), HeadBuffer::State::Complete);
    EXPECT_EQ(grown.head(), longHead);

    std::string atLimit(kMaxHeadBytes, 'h');
    EXPECT_EQ(feedSplit(atLimit + "\r\n\r\n", 4096).state(), HeadBuffer::State::Complete);
    std::string overLimit(kMaxHeadBytes + 1, 'h');
    EXPECT_EQ(feedSplit(overLimit + "\r\n\r\n", 4096).state(), HeadBuffer::State::TooLarge);
    HeadBuffer endless;
    for (int i = 0; i < 100 && endless.state() == HeadBuffer::State::Incomplete; ++i)
        endless.feed(std::string(4096, 'x'));
    EXPECT_EQ(endless.state(), HeadBuffer::State::TooLarge);
}

} // namespace
} // namespace pc::web
