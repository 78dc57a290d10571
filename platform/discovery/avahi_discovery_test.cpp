// Service discovery through a real Avahi daemon (a private one, started by
// the test). One process: D-Bus reads the bus address once per process.

#include "platform/discovery/avahi_discovery.h"
#include "platform/temp_folder.h"
#include "tests/fixtures/discovery/private_avahi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {

using namespace std::chrono_literals;
using tests::fixtures::PrivateAvahi;

constexpr const char* kBusVariable = "DBUS_SYSTEM_BUS_ADDRESS";

std::vector<FoundService> named(const std::vector<FoundService>& found, const std::string& name)
{
    std::vector<FoundService> out;
    std::copy_if(found.begin(), found.end(), std::back_inserter(out), [&](const auto& s) { return s.name == name; });
    return out;
}

// Browses until `wanted` holds for the services of `name`, for up to ten
// seconds: announcements take a moment to settle.
template <typename Wanted>
std::vector<FoundService> browseUntil(ServiceBrowser& browser, const std::string& name, Wanted wanted)
{
    std::vector<FoundService> services;
    for (int i = 0; i < 10; ++i) {
        auto found = browser.browse("_quillon._tcp", 1s);
        EXPECT_TRUE(found) << describe(found.error());
        if (!found)
            return {};
        services = named(*found, name);
        if (wanted(services))
            break;
    }
    return services;
}

class AvahiDiscoveryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        auto started = PrivateAvahi::start();
        if (!started) {
            s_skipReason = started.error();
            return;
        }
        s_avahi = std::move(*started);
        ::setenv(kBusVariable, s_avahi->busAddress().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        ::unsetenv(kBusVariable);
        s_avahi.reset();
    }
    void SetUp() override
    {
        if (!s_avahi)
            GTEST_SKIP() << "no private Avahi daemon here: " << s_skipReason;
    }

    static std::string uniqueName(const std::string& what)
    {
        return "Quillon " + what + " " + std::to_string(::getpid());
    }

    static inline std::unique_ptr<PrivateAvahi> s_avahi;
    static inline std::string s_skipReason;
};

TEST_F(AvahiDiscoveryTest, AnAnnouncedServiceIsFoundWithItsPortAndTxtUntilWithdrawn)
{
    std::string name = uniqueName("study");
    auto announcer = makeAvahiAnnouncer();
    auto announced = announcer->announce({ name, "_quillon._tcp", 4123, { "name=서재", "fp=AB:CD", "x" } });
    ASSERT_TRUE(announced) << describe(announced.error());

    auto browser = makeAvahiBrowser();
    auto found = browseUntil(*browser, name, [](const auto& s) { return !s.empty(); });
    ASSERT_FALSE(found.empty()) << s_avahi->log();
    for (const auto& service : found) {
        EXPECT_EQ(service.port, 4123);
        EXPECT_EQ(service.txt, (std::vector<std::string> { "name=서재", "fp=AB:CD", "x" }));
        EXPECT_FALSE(service.address.empty());
        EXPECT_EQ(service.address.find(':'), std::string::npos) << "IPv4 only here: " << service.address;
    }

    announcer->withdraw();
    found = browseUntil(*browser, name, [](const auto& s) { return s.empty(); });
    EXPECT_TRUE(found.empty());
}

TEST_F(AvahiDiscoveryTest, ASecondServiceOfTheSameNameGoesOnUnderAnother)
{
    std::string name = uniqueName("twin");
    auto first = makeAvahiAnnouncer();
    auto second = makeAvahiAnnouncer();
    ASSERT_TRUE(first->announce({ name, "_quillon._tcp", 4000, { "name=a" } }));
    ASSERT_TRUE(second->announce({ name, "_quillon._tcp", 4001, { "name=b" } }));
    auto browser = makeAvahiBrowser();
    auto renamed = browseUntil(*browser, name + " #2", [](const auto& s) { return !s.empty(); });
    ASSERT_FALSE(renamed.empty()) << s_avahi->log();
    EXPECT_EQ(renamed.front().port, 4001);
    auto original = browseUntil(*browser, name, [](const auto& s) { return !s.empty(); });
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(original.front().port, 4000);
}

} // namespace
} // namespace platform
