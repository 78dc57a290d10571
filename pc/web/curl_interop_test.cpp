#include "pc/web/web_server_fixture.h"

#include <cstdio>
#include <random>

namespace pc::web::testing {
namespace {

// Runs a command and returns its standard output.
std::string run(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    ::pclose(pipe);
    return output;
}

class CurlInteropTest : public WebServerTest {
protected:
    void SetUp() override
    {
        if (std::system("command -v curl >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "curl is not installed";
        startServer();
    }
    std::string url(std::string_view path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_server.port()) + std::string(path);
    }
};

TEST_F(CurlInteropTest, GetAndHead)
{
    writeFile("page.htm", "<p>hi</p>");
    EXPECT_EQ(run("curl -sS --max-time 20 " + url("/page.htm")), "<p>hi</p>");
    std::string head = run("curl -sS -I --max-time 20 " + url("/page.htm"));
    EXPECT_TRUE(head.starts_with("HTTP/1.0 200 OK\r\n")) << head;
    EXPECT_NE(head.find("Content-Length: 9\r\n"), std::string::npos);
    EXPECT_NE(head.find("Content-Type: text/html\r\n"), std::string::npos);
    EXPECT_EQ(run("curl -s -o /dev/null -w '%{http_code}' --max-time 20 " + url("/nothing")), "404");
    EXPECT_EQ(run("curl -s -o /dev/null -w '%{http_code}' --max-time 20 -X DELETE " + url("/page.htm")), "401");
}

TEST_F(CurlInteropTest, TenMegabyteDownloadIsByteExact)
{
    std::string content(10 * 1024 * 1024 + 123, '\0');
    std::mt19937 random(42);
    for (char& c : content)
        c = static_cast<char>(random());
    writeFile("pda_Download/big.bin", content);
    const fs::path out = m_base / "download.bin";
    EXPECT_EQ(run("curl -sS --max-time 60 -o '" + out.string() + "' -w '%{http_code} %{size_download}' "
                  + url("/pda_Download/big.bin")),
        "200 " + std::to_string(content.size()));
    std::ifstream file(out, std::ios::binary);
    std::string downloaded((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(downloaded == content);
}

} // namespace
} // namespace pc::web::testing
