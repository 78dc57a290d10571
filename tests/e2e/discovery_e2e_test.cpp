// The handheld finds the PC on the network: `quillon --headless` announces
// itself through a private Avahi daemon (tests/fixtures/discovery), and
// `quillon-pocket --console` lists it with `discover`, picks it, and logs in
// without the pairing question because the pick pinned the PC's key.
// Skipped with the reason where no private daemon can run.

#include "tests/e2e/e2e_harness.h"
#include "tests/fixtures/discovery/private_avahi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

namespace fs = std::filesystem;
using Child = tests::e2e::ChildProgram;
using namespace std::chrono_literals;

// The number of the list line "N. <name>  127.0.0.1:<port>  <fingerprint>".
std::string loopbackEntry(const std::string& output, std::uint16_t port, const std::string& fingerprint)
{
    std::regex line("(\\d+)\\. [^\\n]*  127\\.0\\.0\\.1:" + std::to_string(port) + "  " + fingerprint + "\\n");
    std::smatch match;
    return std::regex_search(output, match, line) ? match[1].str() : std::string();
}

TEST(DiscoveryE2e, TheHandheldFindsThePcPicksItAndLogsInWithoutAsking)
{
    auto avahi = tests::fixtures::PrivateAvahi::start();
    if (!avahi)
        GTEST_SKIP() << "no private Avahi daemon here: " << avahi.error();
    // Both programs inherit the private bus.
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", (*avahi)->busAddress().c_str(), 1);
    fs::path root = tests::e2e::makeTemporaryFolder("discovery-e2e");
    tests::e2e::PcPorts ports;
    {
        Child pc = tests::e2e::startHeadlessPc(root / "pc", root / "config", "secret",
            tests::e2e::ownerStartArguments(ports));
        ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
        pc.type("fingerprint\n");
        ASSERT_TRUE(pc.waitFor("fingerprint: ")) << pc.output();
        ASSERT_TRUE(pc.waitFor("\n")) << pc.output();
        std::string pcOutput = pc.output();
        std::string fingerprint = pcOutput.substr(pcOutput.find("fingerprint: ") + 13, 95);
        EXPECT_EQ(pcOutput.find("알리지 못했습니다"), std::string::npos) << pcOutput;

        Child pocket = tests::e2e::startPocketConsole(root / "pocket");
        std::string entry;
        // The announcement takes a moment to settle: ask again until it shows.
        std::string line = "  127.0.0.1:" + std::to_string(ports.command) + "  " + fingerprint + "\n";
        for (int i = 0; i < 5 && entry.empty(); ++i) {
            pocket.type("discover\n");
            pocket.waitForOutput(line, 8s);
            entry = loopbackEntry(pocket.output(), ports.command, fingerprint);
        }
        ASSERT_FALSE(entry.empty()) << pocket.output() << "\n" << (*avahi)->log();

        pocket.type("discover " + entry + "\n");
        ASSERT_TRUE(pocket.waitForOutput("127.0.0.1의 지문을 기억했습니다.")) << pocket.output();
        // The other ports are the test's own; the address came from the pick.
        pocket.type("option PC_UPLOAD_PORT " + std::to_string(ports.upload) + " PC_WEB_PORT "
            + std::to_string(ports.web) + "\nsettings\n");
        ASSERT_TRUE(pocket.waitForOutput("SEVER_IP\t127.0.0.1\nPC_PORT\t" + std::to_string(ports.command)))
            << pocket.output();
        pocket.type("login owner secret\n");
        ASSERT_TRUE(pocket.waitForOutput("[Quillon] 로그인되었습니다.\n")) << pocket.output();
        EXPECT_EQ(pocket.output().find("처음 연결하는 PC입니다"), std::string::npos) << pocket.output();
        pocket.endInput();
        EXPECT_EQ(pocket.wait(), 0);
    }
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    fs::remove_all(root);
}

} // namespace
