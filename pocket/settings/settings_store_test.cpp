#include "pocket/settings/settings_store.h"

#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pocket::settings {
namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() / ("pocket-settings-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_root);
        m_device.prepare();
        ASSERT_TRUE(m_store.createKey());
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    PdaSettings loaded()
    {
        PdaSettings settings;
        m_store.load(settings);
        return settings;
    }

    std::filesystem::path m_root = std::filesystem::temp_directory_path() / ("pocket-settings-" + std::to_string(::getpid()));
    device::DeviceRoot m_device { m_root };
    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    SettingsStore m_store { *m_registry, m_device };
};

TEST_F(SettingsStoreTest, EmptyStoreGivesTheDefaults)
{
    auto s = loaded();
    EXPECT_EQ(s.save, 0);
    EXPECT_EQ(s.msnCheck, 1);
    EXPECT_EQ(s.icqCheck, 1);
    EXPECT_EQ(s.yahooCheck, 0);
    EXPECT_EQ(s.mailFormat, 1);
    EXPECT_EQ(s.mailViewPeriod, -1);
    EXPECT_EQ(s.maxFileList, 50);
    EXPECT_EQ(s.maxFileSizeKb, 1000);
    EXPECT_EQ(s.pcPort, 4000);
    EXPECT_EQ(s.pcUploadPort, 4040);
    EXPECT_EQ(s.pcWebPort, 91);
    EXPECT_EQ(s.saveMailPath, "\\Program Files\\Quillon\\MailCheck");
    EXPECT_EQ(s.webFolderPath, "\\Program Files\\Quillon\\웹저장");
    EXPECT_EQ(s.saveFilePath, "\\Program Files\\Quillon\\받은파일");
    EXPECT_EQ(s.sndMailPath, "\\Program Files\\Quillon\\보낼메일");
    EXPECT_EQ(s.inbox, "Quillon");
    EXPECT_EQ(s.messengerLayoutCode, 3);
}

TEST_F(SettingsStoreTest, AppliesTheLoadRules)
{
    const char* key = kSettingsKey;
    ASSERT_TRUE(m_registry->setDword(key, "max_filelist", 0));
    ASSERT_TRUE(m_registry->setDword(key, "maxfilesize", 0));
    ASSERT_TRUE(m_registry->setDword(key, "msncheck", 7));
    ASSERT_TRUE(m_registry->setDword(key, "icqcheck", 0));
    ASSERT_TRUE(m_registry->setDword(key, "mailviewperiod", 0xFFFFFFFFu));
    ASSERT_TRUE(m_registry->setDword(key, "PC_WEB_PORT", 70000));
    ASSERT_TRUE(m_registry->setDword(key, "PC_PORT", 14000));
    ASSERT_TRUE(m_registry->setString(key, "saveFilePath", ""));
    ASSERT_TRUE(m_registry->setString(key, "Inbox", ""));
    ASSERT_TRUE(m_registry->setString(key, "SEVER_IP", "10.0.0.2"));
    // Over capacity: not read.
    ASSERT_TRUE(m_registry->setString(key, "MY_ID", std::string(50, 'i')));
    ASSERT_TRUE(m_registry->setString(key, "my-connection", std::string(30, 'c')));
    // Capacities count characters, not bytes.
    ASSERT_TRUE(m_registry->setString(key, "MY_PASSWORD", std::string(49 * 3 / 3, 'p')));
    std::string koreanName;
    for (int i = 0; i < 29; ++i)
        koreanName += "연";
    ASSERT_TRUE(m_registry->setString(key, "my-connection", koreanName));

    auto s = loaded();
    EXPECT_EQ(s.maxFileList, 50);
    EXPECT_EQ(s.maxFileSizeKb, 1000);
    EXPECT_EQ(s.msnCheck, 1);
    EXPECT_EQ(s.icqCheck, 0);
    EXPECT_EQ(s.mailViewPeriod, -1);
    EXPECT_EQ(s.pcWebPort, 91);
    EXPECT_EQ(s.pcPort, 14000);
    EXPECT_EQ(s.saveFilePath, defaultFilePath());
    EXPECT_EQ(s.inbox, "Quillon");
    EXPECT_EQ(s.serverIp, "10.0.0.2");
    EXPECT_EQ(s.myId, "");
    EXPECT_EQ(s.myPassword, std::string(49, 'p'));
    EXPECT_EQ(s.myConnection, koreanName);
    EXPECT_EQ(s.messengerLayoutCode, 0);
}

TEST_F(SettingsStoreTest, MissingKeyKeepsTheSettings)
{
    auto registry = platform::Registry::inMemory();
    SettingsStore store(*registry, m_device);
    PdaSettings settings;
    settings.serverIp = "1.2.3.4";
    store.load(settings);
    EXPECT_EQ(settings.serverIp, "1.2.3.4");
    settings.maxFileList = 100;
    EXPECT_FALSE(store.storeFileOptions(settings));
}

TEST_F(SettingsStoreTest, StoresWhatEachOperationOwns)
{
    PdaSettings s;
    s.save = 0;
    s.myId = "kim";
    s.myPassword = "pw";
    ASSERT_TRUE(m_store.storePcLogin(s));
    EXPECT_FALSE(m_registry->getString(kSettingsKey, "MY_ID")); // Not remembered.
    s.save = 1;
    ASSERT_TRUE(m_store.storePcLogin(s));
    EXPECT_EQ(m_registry->getString(kSettingsKey, "MY_ID"), "kim");
    EXPECT_EQ(m_registry->getString(kSettingsKey, "MY_PASSWORD"), "pw");

    s.serverIp = "127.0.0.1";
    s.autoDial = 1;
    s.myConnection = "modem";
    ASSERT_TRUE(m_store.storeConnection(s));
    s.pcPort = 5000;
    ASSERT_TRUE(m_store.storePorts(s));
    s.maxFileList = 100;
    ASSERT_TRUE(m_store.storeFileOptions(s));

    auto back = loaded();
    EXPECT_EQ(back.serverIp, "127.0.0.1");
    EXPECT_EQ(back.autoDial, 1);
    EXPECT_EQ(back.myConnection, "modem");
    EXPECT_EQ(back.pcPort, 5000);
    EXPECT_EQ(back.maxFileList, 100);
    EXPECT_EQ(back.save, 1);
}

TEST_F(SettingsStoreTest, StoreFoldersWritesChangesAndCreatesTheFolders)
{
    PdaSettings s;
    FolderValues edited { "Quillon", s.webFolderPath, "\\My Documents\\in", s.sndMailPath, 30 };
    ASSERT_TRUE(m_store.storeFolders(s, edited));
    EXPECT_EQ(s.saveFilePath, "\\My Documents\\in");
    EXPECT_EQ(s.mailViewPeriod, 30);
    EXPECT_FALSE(m_registry->getString(kSettingsKey, "webFolderPath")); // Unchanged: not written.
    EXPECT_EQ(m_registry->getString(kSettingsKey, "saveFilePath"), "\\My Documents\\in");
    EXPECT_EQ(m_registry->getDword(kSettingsKey, "mailviewperiod"), 30u);
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "My Documents" / "in"));
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "Program Files" / "Quillon" / "MSN"));
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "Program Files" / "Quillon" / "웹저장"));
}

TEST_F(SettingsStoreTest, CreateFoldersMakesNoParents)
{
    PdaSettings s;
    s.saveFilePath = "\\Nowhere\\deep";
    m_store.createFolders(s);
    EXPECT_FALSE(std::filesystem::exists(m_root / "Nowhere"));
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "Program Files" / "Quillon" / "MailCheck"));
}

TEST(MessengerLayoutCode, FollowsTheTable)
{
    const int table[8][4] = {
        { 1, 0, 0, 0 }, { 0, 1, 0, 1 }, { 0, 0, 1, 2 }, { 1, 1, 0, 3 },
        { 1, 0, 1, 4 }, { 0, 1, 1, 5 }, { 1, 1, 1, 6 }, { 0, 0, 0, -1 },
    };
    for (const auto& row : table)
        EXPECT_EQ(messengerLayoutCode(row[0], row[1], row[2]), row[3]);
}

} // namespace
} // namespace pocket::settings
