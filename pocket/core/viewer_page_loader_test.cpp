#include "pocket/core/viewer_page_loader.h"

#include "platform/files.h"
#include "platform/http_fetch.h"
#include "pocket/core/device_root.h"
#include "pocket/core/mail_files.h"
#include "pocket/core/mail_inbox.h"
#include "pocket/core/testing/loopback.h"
#include "pocket/core/viewer_address.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace pocket::core {
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
    DeviceRoot m_device { m_root };
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
    testing::OneShotHttpServer server(200, "GIF89a");
    std::string page = "http://127.0.0.1:" + std::to_string(server.port()) + "/pda_ReqDoc/imageparsing.html";
    auto image = m_loader.loadResource(page, "cat.gif");
    ASSERT_TRUE(image) << platform::describe(image.error());
    EXPECT_EQ(image->content, "GIF89a");
    EXPECT_NE(server.requestHead().find("GET /pda_ReqDoc/cat.gif "), std::string::npos);

    testing::OneShotHttpServer missing(404, "<html>404</html>");
    auto failed = m_loader.load("127.0.0.1:" + std::to_string(missing.port()) + "/x.html");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code, platform::ErrorCode::NotFound);
}

TEST(InboxMessage, EncodesKoreanHeadersAndKeepsTheBody)
{
    MailFile mail;
    mail.sender = "a@x";
    mail.to = "kim@y";
    mail.title = "안녕";
    mail.time = "2026.01.05 월 10:20:30";
    platform::WallTime received {};
    std::string message = formatInboxMessage(mail, "<pre>본문</pre>", received);
    EXPECT_NE(message.find("Subject: =?UTF-8?B?7JWI64WV?=\n"), std::string::npos) << message;
    EXPECT_NE(message.find("Date: Mon, 05 Jan 2026 10:20:30 -0000\n"), std::string::npos) << message;
    EXPECT_EQ(message.find("Cc:"), std::string::npos);
    EXPECT_TRUE(message.ends_with("\n\n<pre>본문</pre>\n"));
}

} // namespace
} // namespace pocket::core
