#include "pc/web/web_server_fixture.h"

#include "platform/trace.h"

#include <thread>

namespace pc::web::testing {
namespace {

std::string pageHead(std::string_view status, std::size_t length, std::string_view extra = "")
{
    return std::string(status) + "Date: " + std::string(kFixedDate) + "\r\nServer: Kiteweb/1.1\r\n"
        + "Allow: GET, HEAD, DELETE\r\n" + std::string(extra) + "Content-Length: " + std::to_string(length)
        + "\r\nContent-Type: text/html\r\n\r\n";
}

TEST_F(WebServerTest, GetSendsHeadersAndFileBytes)
{
    writeFile("pda_Download/a.zip", std::string("PK\0\x03zip", 7), kFixedNow - 86400);
    startServer();
    EXPECT_EQ(exchange("GET /pda_Download/a.zip HTTP/1.0\r\nHost: pc\r\n\r\n"),
        "HTTP/1.0 200 OK\r\n"
        "Date: Wed, 02 Jan 2002 10:00:00 GMT\r\n"
        "Server: Kiteweb/1.1\r\n"
        "Allow: GET, HEAD, DELETE\r\n"
        "Last-Modified: Tue, 01 Jan 2002 10:00:00 GMT\r\n"
        "Content-Length: 7\r\n"
        "Content-Type: application/zip\r\n"
        "\r\n"
        + std::string("PK\0\x03zip", 7));
}

TEST_F(WebServerTest, HeadSendsFullLengthWithoutBody)
{
    writeFile("serverfolder", std::string(3000, 'x'));
    startServer();
    std::string response = exchange("HEAD /serverfolder HTTP/1.0\r\n\r\n");
    EXPECT_NE(response.find("Content-Length: 3000\r\n"), std::string::npos);
    EXPECT_NE(response.find("Content-Type: \r\n"), std::string::npos); // No extension, no type.
    EXPECT_TRUE(response.ends_with("\r\n\r\n"));
    EXPECT_EQ(bodyOf(response), "");
}

TEST_F(WebServerTest, Http09GetsBareBytes)
{
    writeFile("x.txt", "hello");
    startServer();
    EXPECT_EQ(exchange("GET /x.txt\r\n\r\n"), "hello");
    EXPECT_EQ(exchange("GET /missing.txt\r\n\r\n"), errorPage(404));
    // HEAD needs a version: a bare 400, and like every answer to HEAD, without body.
    EXPECT_EQ(exchange("HEAD /x.txt\r\n\r\n"), "");
}

TEST_F(WebServerTest, RootServesTheDefaultFileOr404)
{
    startServer();
    std::string missing = exchange("GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(missing, pageHead("HTTP/1.0 404 Not Found\r\n", errorPage(404).size()) + errorPage(404));
    writeFile("404.htm", "<html>nothing here</html>");
    std::string found = exchange("GET / HTTP/1.0\r\n\r\n");
    EXPECT_TRUE(found.starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_NE(found.find("Content-Type: text/html\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(found), "<html>nothing here</html>");
}

TEST_F(WebServerTest, NamesWithAnAtSignAreServed)
{
    writeFile("pda_Mail/kim/<12@host>/<12@host>.txt", "mail");
    writeFile("pda_Mail/kim/<12@host>/a@b.doc", "doc");
    startServer();
    EXPECT_EQ(bodyOf(exchange("GET /pda_Mail/kim/<12@host>/<12@host>.txt HTTP/1.0\r\n\r\n")), "mail");
    EXPECT_EQ(bodyOf(exchange("GET /pda_Mail/kim/%3C12%40host%3E/a@b.doc HTTP/1.0\r\n\r\n")), "doc");
    EXPECT_NE(m_log.waitForLines(2).find(" - - ["), std::string::npos);
}

TEST_F(WebServerTest, FutureFileIsAnnouncedAsModifiedNow)
{
    writeFile("future.txt", "later", kFixedNow + 86400 * 365);
    startServer();
    std::string response = exchange("GET /future.txt HTTP/1.0\r\n\r\n");
    EXPECT_NE(response.find("Last-Modified: " + std::string(kFixedDate) + "\r\n"), std::string::npos);
}

TEST_F(WebServerTest, OtherVerbsAre501AndBadLinesAre400)
{
    startServer();
    EXPECT_EQ(exchange("POST /x HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc"),
        pageHead("HTTP/1.0 501 Not Implemented\r\n", errorPage(501).size()) + errorPage(501));
    EXPECT_TRUE(exchange("PUT /x HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 501"));
    EXPECT_TRUE(exchange("BREW /pot HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 501"));
    // A version without its minor number fails the line; nothing says which
    // version to answer, so the page goes without headers.
    EXPECT_EQ(exchange("GET /x HTTP/1\r\n\r\n"), errorPage(400));
    // HEAD errors carry no body.
    EXPECT_EQ(exchange("HEAD /nothing HTTP/1.0\r\n\r\n"), pageHead("HTTP/1.0 404 Not Found\r\n", errorPage(404).size()));
}

TEST_F(WebServerTest, DeleteNeedsCredentialsThatPassTheLogonCheck)
{
    writeFile("pda_Upload/f.txt", "data");
    const fs::path file = fs::path(m_root) / "pda_Upload/f.txt";
    startServer();
    const std::string realm = "WWW-Authenticate: Basic realm=/pda_Upload/f.txt\r\n";
    const std::string unauthorized
        = pageHead("HTTP/1.0 401 Unauthorized\r\n", unauthorizedPage().size(), realm) + unauthorizedPage();

    EXPECT_EQ(exchange("DELETE /pda_Upload/f.txt HTTP/1.0\r\n\r\n"), unauthorized);
    // Credentials, but the program has given the check none: every logon fails.
    EXPECT_EQ(exchange("DELETE /pda_Upload/f.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n"),
        unauthorized);
    m_logon.setCredentials("user", "pass");
    EXPECT_EQ(exchange("DELETE /pda_Upload/f.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNm\r\n\r\n"),
        unauthorized); // user:pasf
    EXPECT_TRUE(fs::exists(file));

    // Two failures make the next check from the address wait a second.
    m_clock.advance(std::chrono::seconds(1));
    std::string deleted = exchange("DELETE /pda_Upload/f.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n");
    EXPECT_TRUE(deleted.starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_TRUE(deleted.ends_with(deletedPage()));
    EXPECT_FALSE(fs::exists(file));
    // User-info in the URL counts as credentials too.
    writeFile("g.txt", "g");
    EXPECT_TRUE(exchange("DELETE user:pass@/g.txt HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 200 OK"));
    EXPECT_FALSE(fs::exists(fs::path(m_root) / "g.txt"));
    // A folder is never deleted; a missing file is a failed deletion.
    EXPECT_TRUE(exchange("DELETE /pda_Upload HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n")
                    .starts_with("HTTP/1.0 404"));
    EXPECT_TRUE(fs::exists(fs::path(m_root) / "pda_Upload"));
    EXPECT_TRUE(exchange("DELETE /none.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n")
                    .starts_with("HTTP/1.0 500"));
}

TEST_F(WebServerTest, CredentialsDoNotCarryOverToTheNextConnection)
{
    m_logon.setCredentials("user", "pass");
    writeFile("a.txt", "a");
    startServer();
    EXPECT_TRUE(exchange("GET /a.txt HTTP/1.0\r\nAuthorization: Basic dXNlcjpwYXNz\r\n\r\n").starts_with("HTTP/1.0 200"));
    EXPECT_TRUE(exchange("DELETE /a.txt HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 401"));
    std::string log = m_log.waitForLines(2);
    EXPECT_NE(log.find(" - user ["), std::string::npos);
    EXPECT_NE(log.find(" - - ["), std::string::npos);
}

TEST_F(WebServerTest, ListsFoldersWithSizesInKilobytes)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    writeFile("docs/big.bin", std::string(1025, 'b'), kFixedNow - 60);
    writeFile("docs/empty.bin", "", kFixedNow - 120);
    fs::create_directories(fs::path(m_root) / "docs/sub");
    timespec times[2] = { { kFixedNow - 7200, 0 }, { kFixedNow - 7200, 0 } };
    ::utimensat(AT_FDCWD, (fs::path(m_root) / "docs/sub").c_str(), times, 0);
    startServer(10000, 1);

    std::string response = exchange("GET /docs HTTP/1.0\r\n\r\n");
    std::string body = "<table>\r\n"
                       "<tr>\r\n<td><a href=/docs/big.bin>big.bin</a></td><td>2KB</td><td>2002-01-02</td>"
                       "<td>09:59:00</td>\r\n</tr>"
                       "<tr>\r\n<td><a href=/docs/empty.bin>empty.bin</a></td><td>0KB</td><td>2002-01-02</td>"
                       "<td>09:58:00</td>\r\n</tr>"
                       "<tr>\r\n<td><a href=/docs/sub>sub</a></td><td>0KB</td><td>2002-01-02</td>"
                       "<td>08:00:00</td>\r\n</tr>"
                       "</table>\r\n";
    EXPECT_EQ(response,
        "HTTP/1.0 200 OK\r\nDate: Wed, 02 Jan 2002 10:00:00 GMT\r\nServer: Kiteweb/1.1\r\n"
        "Allow: GET, HEAD, DELETE\r\nLast-Modified: Wed, 02 Jan 2002 09:59:00 GMT\r\n"
        "Content-Length: "
            + std::to_string(body.size()) + "\r\nContent-Type: text/html\r\n\r\n" + body);
    // An empty folder has no Last-Modified.
    fs::create_directories(fs::path(m_root) / "void");
    std::string empty = exchange("GET /void/ HTTP/1.0\r\n\r\n");
    EXPECT_EQ(empty.find("Last-Modified"), std::string::npos);
    EXPECT_EQ(bodyOf(empty), "<table>\r\n</table>\r\n");
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(WebServerTest, WritesOneAccessLineInLocalTime)
{
    ::setenv("TZ", "Asia/Seoul", 1);
    ::tzset();
    writeFile("serverfolder", "C:\\a\n");
    startServer();
    exchange("GET /serverfolder HTTP/1.0\r\n\r\n");
    exchange("GET /nothing HTTP/1.0\r\n\r\n");
    EXPECT_EQ(m_log.waitForLines(2),
        "127.0.0.1 - - [02/Jan/2002:19:00:00 -540] \"GET /serverfolder HTTP/1.0\" 200 5\n"
        "127.0.0.1 - - [02/Jan/2002:19:00:00 -540] \"GET /nothing HTTP/1.0\" 404 "
            + std::to_string(errorPage(404).size()) + "\n");
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(WebServerTest, StartFailsOnAPortInUse)
{
    auto blocker = platform::TcpListener::listen("0.0.0.0", 0);
    ASSERT_TRUE(blocker);
    CHttpServerConfig config = CHttpServerConfig::forServiceFolder(m_root, blocker->port());
    std::ostringstream trace;
    platform::setTraceStream(&trace);
    platform::setTraceEnabled(true);
    EXPECT_FALSE(m_server.start(config));
    platform::setTraceEnabled(false);
    platform::setTraceStream(nullptr);
    EXPECT_EQ(trace.str(), "Failed to bind server socket, GetLastError:" + std::to_string(EADDRINUSE) + "\n");
    EXPECT_FALSE(m_server.isRunning());
    EXPECT_FALSE(m_server.wait());
}

TEST_F(WebServerTest, WaitReturnsOnceStopped)
{
    startServer();
    // Wait returns once the server has stopped (true when it was still
    // running when the wait began).
    std::thread waiter([&] { (void)m_server.wait(); });
    m_server.stop();
    waiter.join();
    EXPECT_FALSE(m_server.wait());
    EXPECT_FALSE(m_server.isRunning());
    startServer(); // A stopped server starts again on a new port.
    writeFile("a.txt", "again");
    EXPECT_EQ(bodyOf(exchange("GET /a.txt HTTP/1.0\r\n\r\n")), "again");
}

TEST_F(WebServerTest, StartFailsWhenTheConfiguredLogonFails)
{
    CHttpServerConfig config = CHttpServerConfig::forServiceFolder(m_root, 0);
    config.logonUser = "someone";
    config.logonPassword = "pw";
    EXPECT_FALSE(m_server.start(config));
    m_logon.setCredentials("someone", "pw");
    EXPECT_TRUE(m_server.start(config));
}

} // namespace
} // namespace pc::web::testing
