// GET with a Range header through the real server: the part of the file a
// cut download still needs, 416 beyond it, the whole file otherwise.

#include "pc/web/http_date.h"
#include "pc/web/web_server_fixture.h"

namespace pc::web::testing {
namespace {

std::string headOf(const std::string& response)
{
    return response.substr(0, response.find("\r\n\r\n") + 4);
}

class RangeRequestTest : public WebServerTest {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3000; ++i)
            m_content += static_cast<char>('a' + i % 26);
        writeFile("pda_Download/big.bin", m_content);
        startServer();
    }
    std::string get(std::string_view range)
    {
        return exchange("GET /pda_Download/big.bin HTTP/1.0\r\nRange: " + std::string(range) + "\r\n\r\n");
    }
    std::string m_content;
};

TEST_F(RangeRequestTest, PartialContentCarriesTheRestOfTheFile)
{
    std::string response = get("bytes=1000-");
    EXPECT_TRUE(response.starts_with("HTTP/1.0 206 Partial Content\r\n")) << headOf(response);
    EXPECT_NE(headOf(response).find("Content-Length: 2000\r\n"), std::string::npos) << headOf(response);
    EXPECT_NE(headOf(response).find("Content-Range: bytes 1000-2999/3000\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(response), m_content.substr(1000));

    response = get("bytes=10-19");
    EXPECT_NE(headOf(response).find("Content-Range: bytes 10-19/3000\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(response), m_content.substr(10, 10));

    response = get("bytes=-5");
    EXPECT_EQ(bodyOf(response), m_content.substr(2995));
}

TEST_F(RangeRequestTest, BeyondTheFileIs416WithTheSize)
{
    std::string response = get("bytes=3000-");
    EXPECT_TRUE(response.starts_with("HTTP/1.0 416 Requested Range Not Satisfiable\r\n")) << response;
    EXPECT_NE(response.find("Content-Range: bytes */3000\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(response), "");
}

TEST_F(RangeRequestTest, MalformedOrSeveralRangesGetTheWholeFile)
{
    for (std::string_view range : { "bytes=x-", "bytes=0-1,5-9", "bytes=0-900,800-", "lines=1-2", "bytes=9-1" }) {
        SCOPED_TRACE(range);
        std::string response = get(range);
        EXPECT_TRUE(response.starts_with("HTTP/1.0 200 OK\r\n"));
        EXPECT_EQ(bodyOf(response), m_content);
    }
    // HEAD tells the whole length, whatever the range.
    std::string head = exchange("HEAD /pda_Download/big.bin HTTP/1.0\r\nRange: bytes=10-\r\n\r\n");
    EXPECT_TRUE(head.starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_NE(head.find("Content-Length: 3000\r\n"), std::string::npos);
}

TEST_F(RangeRequestTest, IfRangeHoldsOnlyForTheSameVersion)
{
    // The file was written an hour before the fixed now: that is its version.
    const std::string version = formatHttpDate(kFixedNow - 3600);
    auto getIf = [&](const std::string& validator) {
        return exchange("GET /pda_Download/big.bin HTTP/1.0\r\nRange: bytes=2990-\r\nIf-Range: " + validator
            + "\r\n\r\n");
    };
    std::string same = getIf(version);
    EXPECT_TRUE(same.starts_with("HTTP/1.0 206 Partial Content\r\n")) << headOf(same);
    EXPECT_EQ(bodyOf(same), m_content.substr(2990));

    // Another date, a changed file or a validator of another kind: the whole
    // file, so that the handheld starts again instead of splicing two files.
    for (const std::string& other : { formatHttpDate(kFixedNow - 3599), std::string("\"etag\""), std::string() }) {
        SCOPED_TRACE(other);
        std::string response = getIf(other);
        EXPECT_TRUE(response.starts_with("HTTP/1.0 200 OK\r\n")) << headOf(response);
        EXPECT_EQ(bodyOf(response), m_content);
    }
    // Beyond the end of another version is not a 416 either: that file is sent whole.
    std::string beyond = exchange("GET /pda_Download/big.bin HTTP/1.0\r\nRange: bytes=5000-\r\nIf-Range: x\r\n\r\n");
    EXPECT_TRUE(beyond.starts_with("HTTP/1.0 200 OK\r\n"));
}

} // namespace
} // namespace pc::web::testing
