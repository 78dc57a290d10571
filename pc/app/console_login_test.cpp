#include "pc/app/console_commands.h"
#include "pc/app/console_login.h"
#include "platform/testing/fake_ui.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>

namespace pc::app {
namespace {

namespace fs = std::filesystem;

class ConsoleLoginTest : public ::testing::Test {
protected:
    ConsoleLoginTest()
        : file(fs::temp_directory_path() / ("quillon-login-" + std::to_string(::getpid()) + ".ini"))
        , profile(file)
        , store(profile)
        , dialog(store, ui)
    {
    }
    ~ConsoleLoginTest() override { fs::remove(file); }

    ConsoleLoginInput input(bool terminal, std::deque<std::string> typed = {})
    {
        ConsoleLoginInput in;
        in.hasTerminal = terminal;
        in.prompt = [this, typed](std::string_view prompt, bool secret) mutable -> std::optional<std::string> {
            prompts.push_back(std::string(prompt) + (secret ? "*" : ""));
            if (typed.empty())
                return std::nullopt;
            std::string line = typed.front();
            typed.pop_front();
            return line;
        };
        return in;
    }

    fs::path file;
    platform::Profile profile;
    SettingsStore store;
    platform::testing::FakeUi ui;
    LoginDialog dialog;
    std::vector<std::string> prompts;
};

TEST_F(ConsoleLoginTest, WithoutTerminalNeedsIdAndPassword)
{
    auto in = input(false);
    EXPECT_EQ(runConsoleLogin(dialog, in).error(), ConsoleLoginError::NoTerminal);
    in.idOption = "kim";
    EXPECT_EQ(runConsoleLogin(dialog, in).error(), ConsoleLoginError::NoTerminal);
    in.environmentPassword = "pw";
    auto credentials = runConsoleLogin(dialog, in);
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->id, "kim");
    EXPECT_EQ(credentials->password, "pw");
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(profile.getString("Quillon", "savedid", ""), "kim");
    // The password from the environment is not written to the profile when
    // saving is off.
    std::ifstream stored(file, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(stored)), {});
    EXPECT_EQ(profile.getString("Quillon", "pwsaved", ""), "false");
    EXPECT_EQ(written.find("=pw\n"), std::string::npos) << written;
    EXPECT_EQ(profile.getString("Quillon", "savedpw", "<missing>"), "");
}

TEST_F(ConsoleLoginTest, RememberedValuesAndPrompts)
{
    store.writeLogin("kim", "pw", true, true);
    // Both remembered: nothing asked, the flags stay as they were.
    auto remembered = runConsoleLogin(dialog, input(false));
    ASSERT_TRUE(remembered);
    EXPECT_EQ(remembered->password, "pw");
    EXPECT_EQ(profile.getString("Quillon", "pwsaved", ""), "true");

    // Another id does not take the remembered password: it is asked for.
    auto in = input(true, { "other-pw" });
    in.idOption = "lee";
    auto other = runConsoleLogin(dialog, in);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->password, "other-pw");
    EXPECT_EQ(prompts, (std::vector<std::string> { "패스워드: *" }));

    // The end of input cancels.
    store.writeLogin("", "", false, false);
    prompts.clear();
    EXPECT_EQ(runConsoleLogin(dialog, input(true)).error(), ConsoleLoginError::Cancelled);
    EXPECT_EQ(prompts, (std::vector<std::string> { "아이디: " }));
}

TEST(ConsoleCommandWords, SplitsOnBlanksAndKeepsQuotedWords)
{
    EXPECT_EQ(splitCommandWords("add pop.x.org  kim \"my pw\""),
        (std::vector<std::string> { "add", "pop.x.org", "kim", "my pw" }));
    EXPECT_EQ(splitCommandWords("modify 1 x \"\" z"), (std::vector<std::string> { "modify", "1", "x", "", "z" }));
    EXPECT_TRUE(splitCommandWords("   ").empty());
}

} // namespace
} // namespace pc::app
