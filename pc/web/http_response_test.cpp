#include "pc/web/access_log.h"
#include "pc/web/content_type_cache.h"
#include "pc/web/folder_listing.h"
#include "pc/web/http_response.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pc::web {
namespace {

TEST(HttpResponse, StatusLinesByCode)
{
    EXPECT_EQ(statusLine(200), "HTTP/1.0 200 OK\r\n");
    EXPECT_EQ(statusLine(302), "HTTP/1.0 302 Moved Temporarily\r\n");
    EXPECT_EQ(statusLine(501), "HTTP/1.0 501 Not Implemented\r\n");
    EXPECT_EQ(statusLine(418), "HTTP/1.0 418\r\n");
}

TEST(HttpResponse, HeaderBlockKeepsOrderAndEndsWithBlankLine)
{
    std::string block = HeaderBlock(401)
                            .date(1009965600)
                            .server("Kiteweb/1.1")
                            .allow()
                            .wwwAuthenticate("/a b.txt")
                            .contentLength(5000000000ULL) // Above 4 GiB stays exact.
                            .contentType("text/html")
                            .finish();
    EXPECT_EQ(block,
        "HTTP/1.0 401 Unauthorized\r\n"
        "Date: Wed, 02 Jan 2002 10:00:00 GMT\r\n"
        "Server: Kiteweb/1.1\r\n"
        "Allow: GET, HEAD, DELETE\r\n"
        "WWW-Authenticate: Basic realm=/a b.txt\r\n"
        "Content-Length: 5000000000\r\n"
        "Content-Type: text/html\r\n"
        "\r\n");
}

TEST(HttpResponse, ControlBytesInHeaderValuesCannotStartNewHeaders)
{
    struct Case {
        std::string_view realm;
        std::string_view line;
    };
    const Case cases[] = {
        { "/a b.txt", "WWW-Authenticate: Basic realm=/a b.txt\r\n" },
        { "/x\r\nSet-Cookie: k=v", "WWW-Authenticate: Basic realm=/x%0D%0ASet-Cookie: k=v\r\n" },
        { "/x\nLocation: /y", "WWW-Authenticate: Basic realm=/x%0ALocation: /y\r\n" },
        { std::string_view("/n\0\x7f\xed\x95\x9c", 7), "WWW-Authenticate: Basic realm=/n%00%7F\xed\x95\x9c\r\n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string block = HeaderBlock(401).wwwAuthenticate(c.realm).finish();
        EXPECT_EQ(block, "HTTP/1.0 401 Unauthorized\r\n" + std::string(c.line) + "\r\n");
    }
    EXPECT_EQ(HeaderBlock(301).location("/a\r\n\r\n<p>").finish(),
        "HTTP/1.0 301 Moved Permanently\r\nLocation: /a%0D%0A%0D%0A<p>\r\n\r\n");
}

TEST(HttpResponse, PagesCarryTheirTexts)
{
    std::string notFound = errorPage(404);
    for (std::string_view text : { "<title>Error 404 - File Not Found</title>", "<h2>HTTP Error 404</h2>",
             "<strong>404 Not Found</strong>",
             "<p>The Web server cannot find the file or script you asked for.<br>\r\n"
             "Please check the URL to ensure that the path is correct.</p>",
             "<p>Please contact the server's administrator if this problem persists.</p>" })
        EXPECT_NE(notFound.find(text), std::string::npos) << text;
    EXPECT_NE(errorPage(501).find("<strong>501 Method Not Supported</strong>"), std::string::npos);
    EXPECT_NE(errorPage(400).find("understood by the server.<br>\r\nThe client should not repeat"), std::string::npos);
    EXPECT_NE(errorPage(500).find("prevented it from<br>\r\nfulfilling the request."), std::string::npos);
    EXPECT_EQ(errorPage(403), "");
    EXPECT_EQ(deletedPage().find("<h2>"), std::string::npos);
    EXPECT_NE(deletedPage().find("<p>The specified file has been deleted successfully.</p>"), std::string::npos);
    EXPECT_NE(unauthorizedPage().find("<p>You are not authorized to perform this request.</p>\r\n<p>Please ensure"),
        std::string::npos);
    EXPECT_NE(movedPage().find("<title>Moved</title>"), std::string::npos);
}

TEST(ContentTypeCache, LooksUpOnceCachesFoundTypesOnly)
{
    MimeTypesFile table = MimeTypesFile::fromText("# comment\n"
                                                  "text/html\t\thtml htm\n"
                                                  "application/zip zip # trailing\n"
                                                  "text/x-other htm\n");
    CContentTypeCache cache(table);
    EXPECT_EQ(cache.contentTypeFor(".HTM"), "text/html");
    EXPECT_EQ(cache.contentTypeFor(".htm"), "text/html");
    EXPECT_EQ(cache.contentTypeFor(".zip"), "application/zip");
    EXPECT_EQ(cache.cachedCount(), 2u);
    EXPECT_EQ(cache.contentTypeFor(".unknownext"), "text/plain");
    EXPECT_EQ(cache.cachedCount(), 2u);
    EXPECT_EQ(cache.contentTypeFor(""), "");
    EXPECT_EQ(extensionOf("/a.b/c"), "");
    EXPECT_EQ(extensionOf("/a/c.tar.GZ"), ".GZ");
    EXPECT_EQ(extensionOf("C:\\x\\y.htm"), ".htm");
}

class LocalTimeZone : public ::testing::Test {
protected:
    void useZone(const char* zone)
    {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    void TearDown() override
    {
        ::unsetenv("TZ");
        ::tzset();
    }
};

TEST_F(LocalTimeZone, AccessLogLineInLocalTimeWithBias)
{
    AccessLogEntry entry;
    ::inet_pton(AF_INET, "192.168.0.5", &entry.client);
    entry.moment = 1009965600; // 2002-01-02 10:00:00 UTC.
    entry.requestLine = "GET /serverfolder HTTP/1.0";
    entry.status = 200;
    entry.bodyLength = 1234;

    useZone("Asia/Seoul");
    EXPECT_EQ(formatAccessLogLine(entry),
        "192.168.0.5 - - [02/Jan/2002:19:00:00 -540] \"GET /serverfolder HTTP/1.0\" 200 1234\n");
    useZone("UTC");
    entry.user = "kim";
    EXPECT_EQ(formatAccessLogLine(entry),
        "192.168.0.5 - kim [02/Jan/2002:10:00:00 0000] \"GET /serverfolder HTTP/1.0\" 200 1234\n");
    useZone("America/New_York"); // Standard-time bias, as always.
    EXPECT_EQ(formatAccessLogLine(entry),
        "192.168.0.5 - kim [02/Jan/2002:05:00:00 0300] \"GET /serverfolder HTTP/1.0\" 200 1234\n");
}

TEST_F(LocalTimeZone, AccessLogLineCannotBeSplitByTheClient)
{
    useZone("UTC");
    AccessLogEntry entry;
    ::inet_pton(AF_INET, "10.0.0.7", &entry.client);
    entry.moment = 1009965600;
    // A user name decoded from credentials and a request line with a bare CR.
    entry.user = "kim\n10.0.0.1 - admin [02/Jan/2002:10:00:00 0000] \"GET /x HTTP/1.0\" 200 1";
    entry.requestLine = "GET /a\rb\x7f HTTP/1.0";
    entry.status = 404;
    entry.bodyLength = 12;
    EXPECT_EQ(formatAccessLogLine(entry),
        "10.0.0.7 - kim\\x0A10.0.0.1 - admin [02/Jan/2002:10:00:00 0000] \"GET /x HTTP/1.0\" 200 1"
        " [02/Jan/2002:10:00:00 0000] \"GET /a\\x0Db\\x7F HTTP/1.0\" 404 12\n");
}

TEST_F(LocalTimeZone, ListingRowRoundsSizesUpToKilobytes)
{
    useZone("UTC");
    EXPECT_EQ(formatListingRow("/d/", { "a.bin", 1025, 1009965600 }),
        "<tr>\r\n<td><a href=/d/a.bin>a.bin</a></td><td>2KB</td><td>2002-01-02</td><td>10:00:00</td>\r\n</tr>");
    EXPECT_NE(formatListingRow("/", { "e", 0, 0 }).find("<td>0KB</td>"), std::string::npos);
    EXPECT_NE(formatListingRow("/", { "k", 1024, 0 }).find("<td>1KB</td>"), std::string::npos);
}

} // namespace
} // namespace pc::web
