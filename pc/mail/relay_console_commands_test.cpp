#include "pc/mail/relay_console_commands.h"

#include "pc/mail/smtp_submit.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pc::mail {
namespace {

namespace fs = std::filesystem;

class RelayConsoleCommandsTest : public ::testing::Test {
protected:

    std::string run(std::vector<std::string> words)
    {
        std::ostringstream out;
        RelayConsoleCommands(winIni, out).handle(words);
        return out.str();
    }

    platform::TempFolder m_temp { "relay_console_test" };
    fs::path m_folder = m_temp.path();
    platform::Profile winIni { m_folder / "win.ini" };
};

TEST_F(RelayConsoleCommandsTest, SetsShowsAndTurnsOffTheRelay)
{
    EXPECT_EQ(run({ "relay" }), "relay: none (mail from the handheld is answered \"error\")\n");
    EXPECT_EQ(run({ "relay", "set", "smtp.example.com", "587", "kim", "p w" }),
        "relay: smtp.example.com:587, user kim, from quillon@" + senderAddressOf(SmtpRelay { .host = "x", .user = {}, .password = {}, .from = {} }).substr(8) + "\n");
    auto relay = readSmtpRelay(winIni);
    ASSERT_TRUE(relay);
    EXPECT_EQ(relay->password, "p w");
    EXPECT_FALSE(relay->startTls);

    run({ "relay", "starttls", "on" });
    EXPECT_EQ(run({ "relay", "from", "kim@example.com" }),
        "relay: smtp.example.com:587 STARTTLS, user kim, from kim@example.com\n");
    EXPECT_TRUE(readSmtpRelay(winIni)->startTls);

    run({ "relay", "off" });
    EXPECT_FALSE(readSmtpRelay(winIni));
    // Setting a relay again turns sending on; the port defaults to 25.
    run({ "relay", "set", "127.0.0.1" });
    ASSERT_TRUE(readSmtpRelay(winIni));
    EXPECT_EQ(readSmtpRelay(winIni)->port, 25u);
    EXPECT_EQ(readSmtpRelay(winIni)->user, "");
}

TEST_F(RelayConsoleCommandsTest, WrongUseChangesNothing)
{
    run({ "relay", "set", "smtp.example.com", "2525" });
    for (const auto& words : std::vector<std::vector<std::string>> {
             { "relay", "set", "other.example.com", "port" },
             { "relay", "set", "other.example.com", "70000" },
             { "relay", "set" },
             { "relay", "starttls", "maybe" },
             { "relay", "unknown" },
         }) {
        EXPECT_FALSE(run(words).starts_with("relay: smtp")) << words.back();
        EXPECT_EQ(readSmtpRelay(winIni)->host, "smtp.example.com");
        EXPECT_EQ(readSmtpRelay(winIni)->port, 2525u);
        EXPECT_FALSE(readSmtpRelay(winIni)->startTls);
    }
}

} // namespace
} // namespace pc::mail
