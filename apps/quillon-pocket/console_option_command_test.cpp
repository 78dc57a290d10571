#include "apps/quillon-pocket/console_input.h"
#include "apps/quillon-pocket/console_option_command.h"

#include "platform/registry.h"
#include "platform/testing/fake_ui.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/options_sheet.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

#include <gtest/gtest.h>

#include <sstream>

namespace apps::pocket {
namespace {

using namespace ::pocket::device;
using namespace ::pocket::settings;

TEST(ParseOptionArguments, ReadsPairsOrOneValueWithSpaces)
{
    struct Case {
        const char* arguments;
        OptionPairs pairs;
    };
    const Case cases[] = {
        { "SEVER_IP 127.0.0.1", { { "SEVER_IP", "127.0.0.1" } } },
        { "msncheck 0 icqcheck 0", { { "msncheck", "0" }, { "icqcheck", "0" } } },
        { "saveFilePath \\My Documents\\in box", { { "saveFilePath", "\\My Documents\\in box" } } },
        { "MSNPASS \"a b\" MSNID x@y", { { "MSNPASS", "a b" }, { "MSNID", "x@y" } } },
        { "Inbox \"my box\"", { { "Inbox", "my box" } } },
        { "  ", {} },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseOptionArguments(c.arguments), c.pairs) << c.arguments;
}

TEST(ParseTypedAnswer, YesAndNoAnswerOkCancelQuestions)
{
    using platform::Answer;
    using platform::Buttons;
    EXPECT_EQ(parseTypedAnswer("yes", Buttons::OkCancel), Answer::Ok);
    EXPECT_EQ(parseTypedAnswer(" No ", Buttons::OkCancel), Answer::Cancel);
    EXPECT_EQ(parseTypedAnswer("ok", Buttons::OkCancel), Answer::Ok);
    EXPECT_EQ(parseTypedAnswer("y", Buttons::YesNo), Answer::Yes);
    EXPECT_FALSE(parseTypedAnswer("maybe", Buttons::OkCancel));
}

class NoDialUp final : public DialUp {
public:
    std::vector<std::string> phonebookEntries() override { return {}; }
    std::optional<std::vector<std::string>> activeConnections() override { return std::nullopt; }
    bool startDial(const std::string&) override { return false; }
    bool hangUp(const std::string&) override { return false; }
};

class QuietHost final : public MessengerHost {
public:
    void setMsnStatusLine(const std::string&) override { }
    void signOutMsn() override { }
    void resetIcq(const std::string&) override { }
    void closeIcq() override { }
    void rebuildMessengerTabs() override { }
};

class OptionCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_store.createKey()); }

    bool run(std::string_view arguments)
    {
        return runOptionCommand(parseOptionArguments(arguments), m_sheet, m_store, m_settings, m_ui, m_err);
    }

    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    DeviceRoot m_device { "/nonexistent-device-root" };
    SettingsStore m_store { *m_registry, m_device };
    PdaSettings m_settings;
    platform::testing::FakeUi m_ui;
    NoDialUp m_dialUp;
    QuietHost m_host;
    OptionsSheet m_sheet { m_store, m_settings, m_ui, m_dialUp, m_host };
    std::ostringstream m_err;
};

TEST_F(OptionCommandTest, StoresThroughTheOwningPage)
{
    EXPECT_TRUE(run("sever_ip 10.0.0.9 PC_WEB_PORT 8091"));
    EXPECT_EQ(m_registry->getString(kSettingsKey, "SEVER_IP"), "10.0.0.9");
    EXPECT_EQ(m_settings.pcWebPort, 8091);
    EXPECT_TRUE(run("mailviewperiod 30"));
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "mailviewperiod"), 30u);
    EXPECT_TRUE(run("max_filelist 100"));
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "max_filelist"), 100u);
    EXPECT_TRUE(run("save 1 MY_ID kim MY_PASSWORD pw"));
    EXPECT_EQ(m_registry->getString(kSettingsKey, "MY_PASSWORD"), "pw");
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(OptionCommandTest, AccountsPageChecksRunAsInTheSheet)
{
    // MSN and ICQ are on by default, without accounts.
    EXPECT_FALSE(run("MSNID kim@x.com"));
    EXPECT_EQ(m_ui.lastText(), "MSN사용자 정보를 입력해주세요.");
    EXPECT_FALSE(m_registry->getString(kSettingsKey, "MSNID"));
    EXPECT_TRUE(run("MSNID kim@x.com MSNPASS pw icqcheck 0"));
    EXPECT_EQ(m_registry->getString(kSettingsKey, "MSNID"), "kim@x.com");
    EXPECT_EQ(m_settings.messengerLayoutCode, 0);
}

TEST_F(OptionCommandTest, RefusesWhatTheSheetWouldNotTake)
{
    EXPECT_FALSE(run("PC_PORT 70000"));
    EXPECT_FALSE(run("Auto-Dial 1")); // No phonebook entry selected.
    EXPECT_FALSE(run("nosuch 1"));
    EXPECT_EQ(m_err.str(), "option: PC_PORT takes a port number\n"
                           "option: Auto-Dial needs a connection from the phonebook\n"
                           "option: unknown setting nosuch\n");
    EXPECT_EQ(m_settings.pcPort, 4000);
}

} // namespace
} // namespace apps::pocket
