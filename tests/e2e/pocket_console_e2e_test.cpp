// Runs the real `quillon --headless` and the handheld `quillon-pocket
// --console` against it, each in a temporary home on free loopback ports:
// settings, a refused and an accepted log-in, folder lists inline and fetched
// from the web server, log-out, and the PC stopping its service.
// PATH is emptied for the handheld so that it finds no nmcli.

#include "tests/e2e/e2e_harness.h"
#include "pocket/link/pc_pairing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Child = tests::e2e::ChildProgram;
using namespace std::chrono_literals;

class PocketConsoleE2e : public ::testing::Test {
protected:
    PocketConsoleE2e()
    {
        root = tests::e2e::makeTemporaryFolder("pocket-e2e");
        fs::create_directories(root / "pc");
        fs::create_directories(root / "pocket");
        disk = root / "disk";
        fs::create_directories(disk / "docs" / "sub");
        std::ofstream(disk / "docs" / "report.txt") << "0123456789";
        fs::create_directories(disk / "big");
        // Long names: the list passes 900 characters and travels as a file.
        for (int i = 0; i < 40; ++i)
            std::ofstream(disk / "big" / ("a-rather-long-file-name-number-" + std::to_string(i) + ".txt")) << i;
        std::ofstream(root / "pc" / "Quillon.ini") << "[Drives]\nC=" << disk.string() << "\n";
    }
    ~PocketConsoleE2e() override { fs::remove_all(root); }

    Child startPc() { return tests::e2e::startOwnerPc(root, ports); }

    Child startPocket() { return tests::e2e::startPocketConsole(root / "pocket"); }

    std::string portOptions() { return ports.pocketOptionLine(); }

    fs::path root;
    fs::path disk;
    tests::e2e::PcPorts ports;
};

TEST_F(PocketConsoleE2e, LogsInListsFoldersAndLogsOut)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    pocket.type(portOptions());
    pocket.type("login owner wrong\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] PC프로그램의 사용자 정보와, PDA 사용자 정보가 일치하지 않습니다.")) << pocket.output();

    pocket.type("login owner secret\n");
    ASSERT_TRUE(pocket.waitFor("drive\tC:\n")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 로그인되었습니다.\n")) << pocket.output();

    pocket.type("ls C:\\docs\n");
    ASSERT_TRUE(pocket.waitFor("file\treport.txt\n")) << pocket.output();
    // "settings" prints once the listing before it is complete.
    pocket.type("ls C:/big\nsettings\n");
    ASSERT_TRUE(pocket.waitFor("SEVER_IP\t127.0.0.1\n")) << pocket.output();
    // Every one of the 40 names arrived through the fetched list file.
    std::string fetched = pocket.output();
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(fetched.find("file\ta-rather-long-file-name-number-" + std::to_string(i) + ".txt\n"), std::string::npos) << i;

    pocket.type("logout\nyes\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 접속을 종료하시겠습니까?")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버 연결이 종료되었습니다.\n")) << pocket.output();
    pocket.type("ls C:\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버와 연결이 안된 상태입니다.\n")) << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);

    // The log-in was not remembered ("save" 0), the address and ports were.
    std::ifstream registry(root / "pocket" / "registry.txt");
    std::string stored((std::istreambuf_iterator<char>(registry)), {});
    EXPECT_NE(stored.find("\"SEVER_IP\" \"127.0.0.1\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"PC_WEB_PORT\" " + std::to_string(ports.web)), std::string::npos) << stored;
    EXPECT_EQ(stored.find("MY_PASSWORD"), std::string::npos) << stored;
}

TEST_F(PocketConsoleE2e, PairsAtTheFirstConnectionAndTalksOnlyPrivately)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    // Clear connections are refused from now on: the log-in and the list
    // file fetched over the web port must both be private.
    pc.type("securelink required\nfingerprint\n");
    ASSERT_TRUE(pc.waitFor("fingerprint: ")) << pc.output();
    Child pocket = startPocket();
    pocket.type(portOptions());
    pocket.type("forgetpc 127.0.0.1\n");
    ASSERT_TRUE(pocket.waitFor("forgot\t127.0.0.1\n")) << pocket.output();
    pocket.type("login owner secret\nyes\n");
    ASSERT_TRUE(pocket.waitFor("처음 연결하는 PC입니다 (127.0.0.1).\nPC 인증서 지문:\n")) << pocket.output();
    ASSERT_TRUE(pocket.waitFor("[Quillon] 로그인되었습니다.\n")) << pocket.output();
    EXPECT_TRUE(pc.waitFor("보안 연결(TLS 1.3)로 로그인했습니다.\n")) << pc.output();
    // The fingerprint the handheld showed is the one the PC shows.
    std::string pcOutput = pc.output();
    std::string fingerprint = pcOutput.substr(pcOutput.find("fingerprint: ") + 13, 95);
    EXPECT_NE(pocket.output().find(pocket::link::fingerprintLines(fingerprint)), std::string::npos) << fingerprint;

    pocket.type("ls C:/big\nsettings\n");
    ASSERT_TRUE(pocket.waitFor("SEVER_IP\t127.0.0.1\n")) << pocket.output();
    EXPECT_NE(pocket.output().find("file\ta-rather-long-file-name-number-39.txt\n"), std::string::npos)
        << pocket.output();
    pocket.endInput();
    EXPECT_EQ(pocket.wait(), 0);
}

TEST_F(PocketConsoleE2e, StoppedServiceResetsTheHandheld)
{
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();
    Child pocket = startPocket();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();
    pc.type("stop\n");
    ASSERT_TRUE(pocket.waitFor("[Quillon] 서버 연결이 종료되었습니다.\n")) << pocket.output();
    pocket.type("exit\n");
    EXPECT_EQ(pocket.wait(), 0);
}

TEST_F(PocketConsoleE2e, BothProgramsInCp949ListKoreanNames)
{
    fs::create_directories(disk / "한글" / "문서");
    std::ofstream(disk / "한글" / "보고서.txt") << "x";
    std::ofstream(root / "pc" / "Quillon.ini", std::ios::app) << "[Quillon]\nCodePage=CP949\n";
    Child pc = startPc();
    ASSERT_TRUE(pc.waitFor("PC 서버를 시작합니다..\n")) << pc.output();

    // The handheld's code page is read at its start.
    Child first = startPocket();
    first.type("codepage euc-kr\n");
    ASSERT_TRUE(first.waitFor("CodePage\tCP949 (applies at the next start of the program)\n")) << first.output();
    first.endInput();
    ASSERT_EQ(first.wait(), 0);

    Child pocket = startPocket();
    pocket.type("codepage\n");
    ASSERT_TRUE(pocket.waitFor("CodePage\tCP949\n")) << pocket.output();
    ASSERT_TRUE(tests::e2e::logInOwner(pocket, ports)) << pocket.output();
    pocket.type("ls C:\\한글\n");
    ASSERT_TRUE(pocket.waitFor("file\t보고서.txt\n")) << pocket.output();
    EXPECT_NE(pocket.output().find("folder\t문서\n"), std::string::npos) << pocket.output();
    pocket.type("codepage latin-9\n");
    ASSERT_TRUE(pocket.waitFor("codepage: unknown code page latin-9 (UTF-8 or CP949)\n")) << pocket.output();
    pocket.type("exit\n");
    EXPECT_EQ(pocket.wait(), 0);
}

} // namespace
