#include "pocket/viewer/viewer_page_loader.h"

#include "platform/files.h"
#include "platform/http_fetch.h"
#include "pocket/device/device_root.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/viewer/viewer_address.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace pocket::viewer
