#include "pocket/settings/options_sheet.h"

#include "platform/registry.h"
#include "platform/testing/fake_ui.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/file_options_dialog.h"
#include "pocket/settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace pocket::settings {
namespace {

using platform::Answer;

class FakeDialUp final : public DialUp {
public:
    std::vector<std::string> phonebookEntries() override { return entries; }
    std::optional<std::vector<std::string>> activeConnections() override { return active; }
    bool startDial(const std::string& entry) override
    {
        dialled.push_back(entry);
        return canDial;
    }
    bool hangUp(const std::string& entry) override
    {
        hungUp.push_back(entry);
        return canHangUp;
    }

    std::vector<std::string> entries;
    std::optional<std::vector<std::string>> active;
    bool canDial = true;
    bool canHangUp = true;
    std::vector<std::string> dialled;
    std::vector<std::string> hungUp;
};

class RecordingHost final : public MessengerHost {
public:
    void setMsnStatusLine(const std::string& text) override { events.push_back("status:" + text); }
    void signOutMsn() override { events.push_back("msn-out"); }
    void resetIcq(const std::string& number) override { events.push_back("icq-reset:" + number); }
    void closeIcq() override { events.push_back("icq-close"); }
    void rebuildMessengerTabs() override { events.push_back("tabs"); }
    std::vector<std::string> events;
};

AccountsFields accounts(bool msn, std::string msnId, std::string msnPassword, bool icq = false,
    std::string icqId = "", std::string icqPassword = "", bool yahoo = false, std::string yahooId = "",
    std::string yahooPassword = "")
{
    return { msn, msnId, msnPassword, icq, icqId, icqPassword, yahoo, yahooId, yahooPassword };
}

class OptionsSheetTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_store.createKey()); }

    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    device::DeviceRoot m_device { "/nonexistent-device-root" };
    SettingsStore m_store { *m_registry, m_device };
    PdaSettings m_settings;
    platform::testing::FakeUi m_ui;
    FakeDialUp m_dialUp;
    RecordingHost m_host;
    OptionsSheet m_sheet { m_store, m_settings, m_ui, m_dialUp, m_host };
};

TEST_F(OptionsSheetTest, AccountsValidationNamesTheFirstIncompleteMessenger)
{
    struct Case {
        const char* name;
        AccountsFields fields;
        const char* message; // nullptr: valid.
    };
    const Case cases[] = {
        { "msn without password", accounts(true, "a@b.c", ""), "MSN사용자 정보를 입력해주세요." },
        { "icq empty, msn valid", accounts(true, "a@b.c", "pw", true), "ICQ사용자 정보를 입력해주세요." },
        { "yahoo empty", accounts(false, "", "", false, "", "", true, "y"), "YAHOO사용자 정보를 입력해주세요." },
        { "unchecked need nothing", accounts(false, "", ""), nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_ui.clear();
        m_sheet.open();
        m_sheet.showAccounts() = c.fields;
        m_ui.pushAnswer(Answer::Ok);
        bool closed = m_sheet.apply(OptionsPage::Accounts);
        EXPECT_EQ(closed, c.message == nullptr);
        EXPECT_EQ(m_sheet.isOpen(), c.message != nullptr);
        if (c.message) {
            EXPECT_EQ(m_ui.lastText(), c.message);
        }
    }
}

TEST_F(OptionsSheetTest, CancelledQuestionStoresNothing)
{
    m_sheet.open();
    m_sheet.showConnections().pcIp = "10.1.1.1";
    m_ui.pushAnswer(Answer::Cancel);
    EXPECT_FALSE(m_sheet.apply(OptionsPage::Connections));
    EXPECT_TRUE(m_sheet.isOpen());
    EXPECT_EQ(m_ui.lastText(), "설정하시겠습니까?");
    m_sheet.cancel();
    EXPECT_EQ(m_settings.serverIp, "");
    EXPECT_FALSE(m_registry->getString(kSettingsKey, "SEVER_IP"));
}

TEST_F(OptionsSheetTest, ApplyOnOnePageStoresEveryShownPage)
{
    m_sheet.open();
    auto& accounts = m_sheet.showAccounts();
    accounts = pocket::settings::accounts(true, "kim@x.com", "pw");
    auto& folders = m_sheet.showFolders();
    folders.period = "모두보기";
    folders.saveFilePath = "\\My Documents";
    m_ui.pushAnswer(Answer::Ok);
    ASSERT_TRUE(m_sheet.apply(OptionsPage::Folders));

    EXPECT_EQ(m_registry->getString(kSettingsKey, "MSNID"), "kim@x.com");
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "icqcheck"), 0u);
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "mailviewperiod"), 0xFFFFFFFFu);
    EXPECT_EQ(m_settings.saveFilePath, "\\My Documents");
    EXPECT_EQ(m_settings.messengerLayoutCode, 0);
    EXPECT_FALSE(m_registry->getString(kSettingsKey, "SEVER_IP")); // Connections never shown.
    EXPECT_EQ(m_host.events,
        (std::vector<std::string> { "status:kim@x.com (오프라인)", "msn-out", "tabs", "icq-close" }));
}

TEST_F(OptionsSheetTest, PcIpTakesAPortAndThePortsAreStored)
{
    struct Case {
        const char* pcIp;
        const char* host;
        std::uint32_t commandPort;
    };
    const Case cases[] = {
        { "192.168.0.5:4000", "192.168.0.5", 4000 },
        { "192.168.0.5", "192.168.0.5", 6001 }, // The port field holds.
        { "pc:99999", "pc:99999", 6001 },       // Not a port: all host.
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pcIp);
        m_sheet.open();
        auto& page = m_sheet.showConnections();
        page.pcIp = c.pcIp;
        page.pcPort = 6001;
        page.pcUploadPort = 6002;
        page.pcWebPort = 6003;
        ASSERT_TRUE(m_sheet.apply(OptionsPage::Connections, false));
        EXPECT_EQ(m_settings.serverIp, c.host);
        EXPECT_EQ(m_registry->getString(kSettingsKey, "SEVER_IP"), c.host);
        EXPECT_EQ(m_settings.pcPort, c.commandPort);
        EXPECT_EQ(m_registry->getDword(kSettingsKey, "PC_PORT"), c.commandPort);
        EXPECT_EQ(m_registry->getDword(kSettingsKey, "PC_UPLOAD_PORT"), 6002u);
        EXPECT_EQ(m_registry->getDword(kSettingsKey, "PC_WEB_PORT"), 6003u);
    }
}

TEST_F(OptionsSheetTest, NewIcqNumberResetsTheSession)
{
    m_settings.icqId = "111";
    m_sheet.open();
    m_sheet.showAccounts() = accounts(false, "", "", true, "222", "pw");
    ASSERT_TRUE(m_sheet.apply(OptionsPage::Accounts, false));
    EXPECT_EQ(m_settings.icqId, "222");
    EXPECT_EQ(m_host.events, (std::vector<std::string> { "icq-reset:222", "tabs", "msn-out" }));
}

TEST_F(OptionsSheetTest, UnknownConnectionDisablesTheDialChecks)
{
    m_settings.myConnection = "gone";
    m_settings.autoDial = 1;
    m_dialUp.entries = { "office", "home" };
    m_sheet.open();
    auto& page = m_sheet.showConnections();
    EXPECT_FALSE(page.checksEnabled);
    EXPECT_FALSE(page.autoDial);
    EXPECT_FALSE(m_sheet.setAutoDial(true));

    m_sheet.selectConnection(1);
    EXPECT_TRUE(page.checksEnabled);
    EXPECT_TRUE(m_sheet.setAutoDial(true));
    EXPECT_EQ(m_ui.lastText(), "모뎀의 연결 상태를 체크후, 선택하신 모뎀을 이용하여 로그인합니다.");
    ASSERT_TRUE(m_sheet.apply(OptionsPage::Connections, false));
    EXPECT_EQ(m_registry->getString(kSettingsKey, "my-connection"), "home");
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "Auto-Dial"), 1u);
}

TEST_F(OptionsSheetTest, StoredConnectionSelectsTheFirstEntryStartingWithIt)
{
    m_settings.myConnection = "of";
    m_dialUp.entries = { "home", "office", "offline" };
    m_sheet.open();
    EXPECT_EQ(m_sheet.showConnections().connection, "office");
    EXPECT_TRUE(m_sheet.showConnections().checksEnabled);
}

TEST_F(OptionsSheetTest, FolderChooserAsksBeforeTakingThePath)
{
    m_sheet.open();
    auto& folders = m_sheet.showFolders();
    m_ui.pushAnswer(Answer::Cancel);
    m_sheet.chooseFolder(folders.webFolderPath, "\\My Documents\\web");
    EXPECT_EQ(folders.webFolderPath, defaultWebPath());
    m_ui.pushAnswer(Answer::Ok);
    m_sheet.chooseFolder(folders.webFolderPath, "\\My Documents\\web");
    EXPECT_EQ(folders.webFolderPath, "\\My Documents\\web");
    EXPECT_EQ(m_ui.lastText(), "\\My Documents\\web\n로 하시겠습니까?");
}

TEST(OptionsSheetPeriod, MapsComboTexts)
{
    EXPECT_EQ(OptionsSheet::periodText(-1), "모두보기");
    EXPECT_EQ(OptionsSheet::periodText(5), "5일");
    EXPECT_EQ(OptionsSheet::periodDays("30일"), 30);
    EXPECT_EQ(OptionsSheet::periodDays("모두보기"), -1);
    EXPECT_EQ(OptionsSheet::periodDays("7일"), -1);
}

TEST_F(OptionsSheetTest, FileOptionsSelectAndStore)
{
    FileOptionsDialog dialog(m_store, m_settings, m_ui);
    m_settings.maxFileList = 100;
    m_settings.maxFileSizeKb = 1000;
    auto fields = dialog.show();
    EXPECT_EQ(fields.maxFileList, "100");
    EXPECT_EQ(fields.maxFileSize, "1000");
    dialog.accept({ "30", "500" });
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "max_filelist"), 30u);
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "maxfilesize"), 500u);

    auto noKey = platform::Registry::inMemory();
    SettingsStore store(*noKey, m_device);
    FileOptionsDialog unsaved(store, m_settings, m_ui);
    unsaved.accept({ "50", "x" });
    EXPECT_EQ(m_ui.lastText(), "저장 실패..");
    EXPECT_EQ(m_settings.maxFileList, 50); // Kept in memory for this run.
    EXPECT_EQ(m_settings.maxFileSizeKb, 500);
}

TEST_F(OptionsSheetTest, DialFollowsTheActiveConnections)
{
    struct Case {
        const char* name;
        std::string myConnection;
        std::optional<std::vector<std::string>> active;
        bool canDial;
        std::size_t dials;
        const char* message; // "" when none.
    };
    const Case cases[] = {
        { "not configured", "", std::nullopt, true, 0, "환경설정의 연결정보에\n 대한 정보가 없습니다. 설정해주세요." },
        { "already up", "modem", std::vector<std::string> { "modem" }, true, 0, "" },
        { "another is up", "modem", std::vector<std::string> { "wired" }, true, 0,
            "이미 다른 연결이 존재합니다. \n해당 연결을 먼저 해제해주세요." },
        { "none up", "modem", std::vector<std::string> {}, true, 1, "" },
        { "enumeration fails, dialler missing", "modem", std::nullopt, false, 1,
            "연결 실패. 연결정보가 정확한지 확인해 주십시오." },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_ui.clear();
        m_dialUp.dialled.clear();
        m_dialUp.active = c.active;
        m_dialUp.canDial = c.canDial;
        m_settings.myConnection = c.myConnection;
        dial(m_dialUp, m_settings, m_ui);
        EXPECT_EQ(m_dialUp.dialled.size(), c.dials);
        EXPECT_EQ(m_ui.lastText(), c.message);
    }
}

TEST_F(OptionsSheetTest, HangUpEndsTheConfiguredEntryAndStopsAtAFailure)
{
    m_settings.myConnection = "modem";
    m_dialUp.active = std::vector<std::string> { "wired", "modem", "modem" };
    hangUp(m_dialUp, m_settings);
    EXPECT_EQ(m_dialUp.hungUp, (std::vector<std::string> { "modem", "modem" }));

    m_dialUp.hungUp.clear();
    m_dialUp.canHangUp = false;
    hangUp(m_dialUp, m_settings);
    EXPECT_EQ(m_dialUp.hungUp, (std::vector<std::string> { "modem" }));
    EXPECT_EQ(m_ui.callCount(), 0u); // Failures are silent.
}

TEST(NmcliDialUp, DiallerRunsOnWithItsOutputDiscarded)
{
    // The dialler outlives the call: its output must not go into a pipe
    // that nobody reads, where its first line would end it by SIGPIPE.
    auto base = std::filesystem::temp_directory_path() / ("fake-nmcli-up-" + std::to_string(::getpid()));
    auto script = base;
    script += ".sh";
    auto marker = base;
    marker += ".done";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\nif [ -p /dev/stdout ]; then kind=pipe; else kind=other; fi\n"
            << "echo \"$kind $*\" > '" << marker.string() << ".tmp'\n"
            << "mv '" << marker.string() << ".tmp' '" << marker.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    NmcliDialUp nmcli(script.string());
    ASSERT_TRUE(nmcli.startDial("modem"));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    std::ifstream in(marker);
    std::string seen;
    std::getline(in, seen);
    EXPECT_EQ(seen, "other connection up id modem");
    std::filesystem::remove(script);
    std::filesystem::remove(marker);
}

TEST(NmcliDialUp, WithoutNmcliTheDialFails)
{
    NmcliDialUp missing("/nonexistent/nmcli");
    EXPECT_TRUE(missing.phonebookEntries().empty());
    EXPECT_FALSE(missing.activeConnections());
    EXPECT_FALSE(missing.startDial("modem"));
    platform::testing::FakeUi ui;
    PdaSettings settings;
    settings.myConnection = "modem";
    dial(missing, settings, ui);
    EXPECT_EQ(ui.lastText(), "연결 실패. 연결정보가 정확한지 확인해 주십시오.");
}

TEST(NmcliDialUp, ReadsTheTerseListingOfAStandIn)
{
    auto script = std::filesystem::temp_directory_path() / ("fake-nmcli-" + std::to_string(::getpid()));
    {
        std::ofstream out(script);
        out << "#!/bin/sh\nprintf 'office\\\\:3\\nhome\\n'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    NmcliDialUp nmcli(script.string());
    EXPECT_EQ(nmcli.phonebookEntries(), (std::vector<std::string> { "office:3", "home" }));
    std::filesystem::remove(script);
}

} // namespace
} // namespace pocket::settings
