#include "pocket/viewer/viewer_page_loader.h"

#include "platform/files.h"
#include "platform/http_fetch.h"
#include "pocket/device/device_root.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/viewer/load_failure_page.h"
#include "pocket/viewer/viewer_address.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace pocket::viewer {
namespace {

class PageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all(m_root);
        m_device.prepare();
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    std::filesystem::path m_root = std::filesystem::temp_directory_path() / ("pocket-pages-" + std::to_string(::getpid()));
    device::DeviceRoot m_device { m_root };
    platform::HttpFetch m_fetch;
    PageLoader m_loader { m_fetch, m_device };
};

TEST_F(PageLoaderTest, LoadsTheInstalledStartPageAndItsNeighbours)
{
    ASSERT_TRUE(installStartPage(m_device));
    auto page = m_loader.load(kStartPage);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->contentType, "text/html");
    EXPECT_NE(page->content.find("Quillon"), std::string::npos);

    // A start page the device already has is kept.
    ASSERT_TRUE(platform::writeFileAtomically(m_device.toLocal(kStartPage), "mine", 0644));
    ASSERT_TRUE(installStartPage(m_device));
    EXPECT_EQ(m_loader.load(kStartPage)->content, "mine");

    auto missing = m_loader.loadResource(kStartPage, "logo.gif");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, platform::ErrorCode::NotFound);
}

TEST_F(PageLoaderTest, LoadsResourcesThroughTheHttpStandIn)
{
    link::testing::OneShotHttpServer server(200, "GIF89a");
    std::string page = "http://127.0.0.1:" + std::to_string(server.port()) + "/pda_ReqDoc/imageparsing.html";
    auto image = m_loader.loadResource(page, "cat.gif");
    ASSERT_TRUE(image) << platform::describe(image.error());
    EXPECT_EQ(image->content, "GIF89a");
    EXPECT_NE(server.requestHead().find("GET /pda_ReqDoc/cat.gif "), std::string::npos);

    link::testing::OneShotHttpServer missing(404, "<html>404</html>");
    auto failed = m_loader.load("127.0.0.1:" + std::to_string(missing.port()) + "/x.html");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code, platform::ErrorCode::NotFound);
}

// A refused fetch reads as a page that names the status and the address,
// not as a bare "HTTP 400: http://...".
TEST_F(PageLoaderTest, FailedLoadBecomesAReadablePage)
{
    link::testing::OneShotHttpServer refusing(400, "<html>400</html>");
    std::string address = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/pda_ReqDoc/a.txt?x=1&y=2";
    auto failed = m_loader.load(address);
    ASSERT_FALSE(failed);
    std::string page = loadFailurePage(address, failed.error());
    EXPECT_NE(page.find("<h3>페이지를 열 수 없습니다</h3>"), std::string::npos) << page;
    EXPECT_NE(page.find("<p>HTTP 400 - PC의 웹 서버가 요청을 거절하였습니다"), std::string::npos) << page;
    EXPECT_NE(page.find("<p>주소: http://127.0.0.1:" + std::to_string(refusing.port()) + "/pda_ReqDoc/a.txt?x=1&amp;y=2</p>"),
        std::string::npos)
        << page;

    EXPECT_EQ(loadFailureCause({ platform::ErrorCode::NotFound, "HTTP 404: http://x/y", 0 }), "HTTP 404 - 페이지가 없습니다");
    EXPECT_EQ(loadFailureCause({ platform::ErrorCode::NotFound, "\\Windows\\x.html", 2 }), "파일이 없습니다");
    EXPECT_EQ(loadFailureCause({ platform::ErrorCode::Unavailable, "fetch http://x/: Couldn't connect to server", 0 }),
        "서버에 연결할 수 없습니다 (fetch http://x/: Couldn't connect to server)");
}

// A PC that trickles a page two bytes a second no longer holds the view: the
// load ends at the deadline and the failure page says the answer timed out.
TEST_F(PageLoaderTest, APcThatTricklesIsCutOffAtTheDeadline)
{
    using namespace std::chrono_literals;
    link::testing::TricklingHttpServer pc;
    PageLoader loader { m_fetch, m_device, platform::FetchLimits { 1s, PageLoader::kMaxPageBytes } };
    std::string address = "http://127.0.0.1:" + std::to_string(pc.port()) + "/pda_ReqDoc/slow.html";
    auto start = std::chrono::steady_clock::now();
    auto failed = loader.load(address);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code, platform::ErrorCode::Timeout) << platform::describe(failed.error());
    EXPECT_NE(loadFailurePage(address, failed.error()).find("<p>응답 시간이 초과되었습니다</p>"), std::string::npos);

    // Every load is bounded so by default.
    EXPECT_EQ(PageLoader::kFetchLimits.deadline, link::kFetchDeadline);
    EXPECT_EQ(PageLoader::kFetchLimits.maxBodyBytes, PageLoader::kMaxPageBytes);
}

} // namespace
} // namespace pocket::viewer
