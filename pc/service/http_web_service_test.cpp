// The service's web server chooses content types from the system's
// mime.types first and from the registry store after it; with neither, a
// file is served as text/plain.

#include "pc/service/http_web_service.h"

#include "pc/service/testing/scripted_handheld.h"
#include "pc/service/testing/service_fixture.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace pc::service {
namespace {

namespace fs = std::filesystem;

class HttpWebServiceTest : public ::testing::Test {
protected:
    HttpWebServiceTest()
        : m_temp("quillon-web-service")
        , m_home(m_temp.path())
        , m_registry(platform::Registry::inMemory())
    {
        fs::create_directories(m_home / "root");
        for (const char* name : { "a.hwp", "b.htm", "c.qqq", "noextension" })
            std::ofstream(m_home / "root" / name) << "x";
        EXPECT_TRUE(m_registry->createKey("HKCR\\.hwp"));
        EXPECT_TRUE(m_registry->setString("HKCR\\.hwp", "Content Type", "application/x-hwp"));
        EXPECT_TRUE(m_registry->createKey("HKCR\\.htm"));
        EXPECT_TRUE(m_registry->setString("HKCR\\.htm", "Content Type", "text/x-from-registry"));
    }

    // The Content-Type of each file, served with `mimeTypesFile`.
    std::vector<std::string> servedTypes(const fs::path& mimeTypesFile)
    {
        WebConfig config { m_home / "root", 0, "127.0.0.1" };
        config.mimeTypesFile = mimeTypesFile.string();
        config.registry = m_registry.get();
        HttpWebService web(m_clock, m_gate, m_accessLog, config);
        EXPECT_TRUE(web.startWeb());
        std::vector<std::string> types;
        for (const char* path : { "/a.hwp", "/b.htm", "/c.qqq", "/noextension" }) {
            auto reply = testing::httpGet(web.webPort(), path);
            EXPECT_TRUE(reply && reply->status == 200) << path;
            std::string head = reply ? reply->head : std::string();
            std::size_t at = head.find("Content-Type: ");
            if (at == std::string::npos) {
                types.push_back("<none>");
                continue;
            }
            std::size_t from = at + 14;
            types.push_back(head.substr(from, head.find("\r\n", at) - from));
        }
        return types;
    }

    platform::TempFolder m_temp;
    fs::path m_home;
    std::unique_ptr<platform::Registry> m_registry;
    platform::SystemClock m_clock;
    WebAccessGate m_gate;
    std::ostringstream m_accessLog;
};

TEST_F(HttpWebServiceTest, WithoutMimeTypesTheRegistryStoreNamesTheType)
{
    EXPECT_EQ(servedTypes(m_home / "no-such-mime.types"),
        (std::vector<std::string> { "application/x-hwp", "text/x-from-registry", "text/plain", "" }));
}

TEST_F(HttpWebServiceTest, MimeTypesComeBeforeTheRegistryStore)
{
    std::ofstream(m_home / "mime.types") << "# comment\ntext/html htm html\n";
    EXPECT_EQ(servedTypes(m_home / "mime.types"),
        (std::vector<std::string> { "application/x-hwp", "text/html", "text/plain", "" }));
}

} // namespace
} // namespace pc::service
