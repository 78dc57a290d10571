#include "pc/app/program_start.h"

#include "platform/profile.h"
#include "platform/testing/fake_ui.h"

#include <fstream>
#include <gtest/gtest.h>

#include <unistd.h>

namespace pc::app {
namespace {

namespace fs = std::filesystem;

TEST(StartSwitches, FoundInAnyCaseWithOrWithoutPrefix)
{
    struct Case {
        std::vector<std::string> words;
        StartSwitch expected;
        std::vector<std::string> rest;
    };
    const Case cases[] = {
        { { "--headless" }, StartSwitch::None, { "--headless" } },
        { { "RegServer" }, StartSwitch::RegServer, {} },
        { { "/regserver", "--home", "x" }, StartSwitch::RegServer, { "--home", "x" } },
        { { "-UNREGSERVER" }, StartSwitch::UnregServer, {} },
        { { "RegServers" }, StartSwitch::None, { "RegServers" } },
    };
    for (const auto& c : cases) {
        std::vector<std::string> rest;
        EXPECT_EQ(takeStartSwitch(c.words, &rest), c.expected);
        EXPECT_EQ(rest, c.rest);
    }
}

class ProgramStartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_home = fs::temp_directory_path()
            / ("quillon-start-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_home);
        fs::create_directories(m_home);
    }
    void TearDown() override { fs::remove_all(m_home); }

    std::optional<std::string> registeredServer()
    {
        auto registry = platform::Registry::open(m_home / "registry.txt");
        EXPECT_TRUE(registry);
        return (*registry)->getString("HKCR\\CLSID\\" + std::string(kClassId) + "\\LocalServer32", "");
    }

    fs::path m_home;
    platform::testing::FakeUi ui;
};

TEST_F(ProgramStartTest, FirstStartWritesTheLoginDefaultsAndOpensTheWindow)
{
    ProgramStart start(m_home, ui);
    EXPECT_EQ(start.run(StartSwitch::None, "/usr/bin/quillon"), StartOutcome::OpenWindow);
    platform::Profile profile(m_home / "Quillon.ini");
    for (const char* key : { "savedid", "savedpw", "idsaved", "pwsaved" })
        EXPECT_TRUE(profile.hasKey("Quillon", key)) << key;
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(ProgramStartTest, SecondStartSaysSoAndDoesNothingElse)
{
    ProgramStart first(m_home, ui);
    ASSERT_EQ(first.run(StartSwitch::None, "/usr/bin/quillon"), StartOutcome::OpenWindow);
    ProgramStart second(m_home, ui);
    EXPECT_EQ(second.run(StartSwitch::RegServer, "/usr/bin/quillon"), StartOutcome::AlreadyRunning);
    EXPECT_EQ(ui.lastText(), "Quillon is already running!");
    EXPECT_EQ(ui.calls().back().title, "Quillon");
    // The instance check comes before the registration.
    EXPECT_FALSE(registeredServer());
}

TEST_F(ProgramStartTest, RegServerRecordsAndUnregServerRemovesTheRegistration)
{
    {
        ProgramStart start(m_home, ui);
        EXPECT_EQ(start.run(StartSwitch::RegServer, "/opt/quillon/quillon"), StartOutcome::Registered);
    }
    EXPECT_EQ(registeredServer(), "/opt/quillon/quillon");
    {
        ProgramStart start(m_home, ui);
        EXPECT_EQ(start.run(StartSwitch::UnregServer, "/opt/quillon/quillon"), StartOutcome::Unregistered);
    }
    EXPECT_FALSE(registeredServer());
    // Removing what is not there is fine.
    ProgramStart again(m_home, ui);
    EXPECT_EQ(again.run(StartSwitch::UnregServer, "/opt/quillon/quillon"), StartOutcome::Unregistered);
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(ProgramStartTest, UnreadableProfileStopsTheStartAndIsNeverReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser reads every file";
    const std::string kept = "[Quillon]\nsavedid=kim\nkim_pop3cnt=1\nkim_pop3info=pop.example.com`kim`pw`\n";
    {
        std::ofstream(m_home / "Quillon.ini") << kept;
    }
    fs::permissions(m_home / "Quillon.ini", fs::perms::none);
    ProgramStart start(m_home, ui);
    EXPECT_EQ(start.run(StartSwitch::None, "/usr/bin/quillon"), StartOutcome::Failed);
    ASSERT_EQ(ui.callCount(), 1u);
    EXPECT_NE(ui.lastText().find((m_home / "Quillon.ini").string()), std::string::npos) << ui.lastText();
    EXPECT_NE(ui.lastText().find("다시 시작하십시오"), std::string::npos);
    // Even a write that gets past the start does not replace it.
    platform::Profile profile(m_home / "Quillon.ini");
    EXPECT_FALSE(profile.writeString("Quillon", "savedid", "lee"));
    fs::permissions(m_home / "Quillon.ini", fs::perms::owner_read | fs::perms::owner_write);
    std::ifstream in(m_home / "Quillon.ini");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), kept);
}

TEST_F(ProgramStartTest, ProfileThatIsNoRegularFileStopsTheStart)
{
    fs::create_directories(m_home / "Quillon.ini");
    ProgramStart start(m_home, ui);
    EXPECT_EQ(start.run(StartSwitch::None, "/usr/bin/quillon"), StartOutcome::Failed);
    EXPECT_NE(ui.lastText().find("Quillon.ini"), std::string::npos);
    platform::Profile profile(m_home / "Quillon.ini");
    EXPECT_FALSE(profile.writeString("Quillon", "savedid", "lee"));
    EXPECT_TRUE(fs::is_directory(m_home / "Quillon.ini"));
}

TEST_F(ProgramStartTest, DamagedRegistryStoreIsNamedWithItsLine)
{
    {
        std::ofstream(m_home / "registry.txt") << "Quillon registry 1\nkey \"HKCU\\\\Software\"\nnot a record\n";
    }
    ProgramStart start(m_home, ui);
    EXPECT_EQ(start.run(StartSwitch::None, "/usr/bin/quillon"), StartOutcome::Failed);
    EXPECT_NE(ui.lastText().find((m_home / "registry.txt").string() + " line 3"), std::string::npos) << ui.lastText();
    std::ifstream in(m_home / "registry.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}),
        "Quillon registry 1\nkey \"HKCU\\\\Software\"\nnot a record\n");
}

} // namespace
} // namespace pc::app
