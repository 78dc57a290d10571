// The handheld's list of PCs found on the network, from what a browser
// reports (the Avahi browser itself is tested in platform/discovery).

#include "pocket/link/pc_finder.h"

#include <gtest/gtest.h>

namespace pocket::link {
namespace {

using namespace std::chrono_literals;

const std::string kFingerprint
    = "3F:A2:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:01:23:45:67:89:AB:CD:EF:10:32:54:76:98:9C";

struct ScriptedBrowser final : platform::ServiceBrowser {
    platform::IoResult<std::vector<platform::FoundService>> browse(const std::string& type,
        std::chrono::milliseconds) override
    {
        askedType = type;
        if (unavailable)
            return platform::Error { platform::ErrorCode::Unavailable, "Avahi: Daemon not running", 0 };
        return services;
    }
    std::vector<platform::FoundService> services;
    bool unavailable = false;
    std::string askedType;
};

TEST(PcFinder, ListsQuillonPcsWithTheirFingerprintAndLeavesOthersOut)
{
    auto owned = std::make_unique<ScriptedBrowser>();
    ScriptedBrowser& browser = *owned;
    browser.services = {
        { "Quillon study", "study.local", "192.168.0.10", 4000, { "name=서재", "fp=" + kFingerprint } },
        { "printer", "printer.local", "192.168.0.20", 631, { "path=/" } },
        { "Quillon old", "old.local", "192.168.0.30", 4100, { "name=", "fp=nonsense" } },
    };
    PcFinder finder(std::move(owned));
    auto found = finder.find(1ms);
    EXPECT_EQ(browser.askedType, "_quillon._tcp");
    EXPECT_EQ(found.problem, "");
    ASSERT_EQ(found.pcs.size(), 2u);
    EXPECT_EQ(found.pcs[0], (FoundPc { "서재", "192.168.0.10", 4000, kFingerprint }));
    // No name of its own: the instance name; no usable fingerprint: none.
    EXPECT_EQ(found.pcs[1], (FoundPc { "Quillon old", "192.168.0.30", 4100, "" }));
    EXPECT_EQ(foundPcLine(found.pcs[0]), "서재  192.168.0.10:4000  " + kFingerprint);
    EXPECT_EQ(foundPcLine(found.pcs[1]), "Quillon old  192.168.0.30:4100  (보안 연결 없음)");
}

TEST(PcFinder, WithoutTheDaemonItSaysWhyAndListsNothing)
{
    auto owned = std::make_unique<ScriptedBrowser>();
    owned->unavailable = true;
    PcFinder finder(std::move(owned));
    auto found = finder.find(1ms);
    EXPECT_TRUE(found.pcs.empty());
    EXPECT_EQ(found.problem, "PC 찾기를 쓸 수 없습니다 (Avahi: Daemon not running). PC 주소를 직접 넣어 주십시오.");
    EXPECT_EQ(PcFinder(nullptr).find(1ms).pcs.size(), 0u);
}

} // namespace
} // namespace pocket::link
