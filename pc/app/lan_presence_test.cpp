// The PC's announcement on the local network, with an announcer that
// records what it is given (the real one is tested against Avahi in
// platform/discovery).

#include "pc/app/lan_presence.h"

#include <gtest/gtest.h>

namespace pc::app {
namespace {

struct RecordingAnnouncer final : platform::ServiceAnnouncer {
    platform::IoResult<void> announce(const platform::DnsSdService& service) override
    {
        announced.push_back(service);
        if (unavailable)
            return platform::Error { platform::ErrorCode::Unavailable, "Avahi: Daemon not running", 0 };
        return {};
    }
    void withdraw() override { ++withdrawn; }

    bool unavailable = false;
    std::vector<platform::DnsSdService> announced;
    int withdrawn = 0;
};

const std::string kFingerprint
    = "3F:A2:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:01:23:45:67:89:AB:CD:EF:10:32:54:76:98:9C";

TEST(LanPresence, AnnouncesTheCommandPortWithNameAndFingerprint)
{
    auto service = LanPresence::serviceFor("study", 4000, kFingerprint);
    EXPECT_EQ(service.name, "Quillon study");
    EXPECT_EQ(service.type, "_quillon._tcp");
    EXPECT_EQ(service.port, 4000);
    EXPECT_EQ(service.txt, (std::vector<std::string> { "name=study", "fp=" + kFingerprint }));
    // SecureLink off: nothing to pin.
    EXPECT_EQ(LanPresence::serviceFor("", 4000, "").txt, std::vector<std::string> { "name=PC" });
}

TEST(LanPresence, WithoutTheDaemonTheLogSaysSoOnceAndTheServerGoesOn)
{
    auto owned = std::make_unique<RecordingAnnouncer>();
    RecordingAnnouncer& announcer = *owned;
    announcer.unavailable = true;
    std::vector<std::string> log;
    LanPresence presence(std::move(owned), [&](std::string line) { log.push_back(std::move(line)); });
    presence.start(4000, kFingerprint);
    presence.stop();
    presence.start(4000, kFingerprint);
    EXPECT_EQ(announcer.announced.size(), 2u);
    EXPECT_EQ(announcer.withdrawn, 1);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "PDA가 이 PC를 찾도록 알리지 못했습니다 (Avahi: Daemon not running). PDA에는 PC 주소를 직접 넣어 "
                      "주십시오.\n");
}

TEST(LanPresence, NothingWithoutAnAnnouncerOrACommandPort)
{
    std::vector<std::string> log;
    LanPresence quiet(nullptr, [&](std::string line) { log.push_back(std::move(line)); });
    quiet.start(4000, kFingerprint);
    quiet.stop();
    auto owned = std::make_unique<RecordingAnnouncer>();
    RecordingAnnouncer& announcer = *owned;
    LanPresence presence(std::move(owned), [&](std::string line) { log.push_back(std::move(line)); });
    presence.start(0, kFingerprint); // The command port did not open.
    EXPECT_TRUE(announcer.announced.empty());
    EXPECT_TRUE(log.empty());
}

} // namespace
} // namespace pc::app
