#include "pc/mail/mail_client_setup.h"

#include "platform/testing/fake_ui.h"

#include <gtest/gtest.h>

namespace pc::mail {
namespace {

TEST(MailClientSetupTest, SeededRegistryIsAReadyMailProgramOfTheExpressKind)
{
    auto registry = platform::Registry::inMemory();
    ASSERT_TRUE(seedMailRegistry(*registry));
    EXPECT_EQ(readMailClientKind(*registry), kMailClientOutlookExpress);
    platform::testing::FakeUi ui;
    EXPECT_TRUE(setUpMailClient(*registry, kMailClientOutlookExpress, ui));
    auto identity = registry->getString(kIdentitiesKey, "Default User ID");
    ASSERT_TRUE(identity);
    std::string options = "HKCU\\Identities\\" + *identity + "\\Software\\Microsoft\\Outlook Express\\5.0\\Mail";
    EXPECT_EQ(registry->getDword(options, "Poll For Mail"), 0xFFFFFFFFu);
    EXPECT_EQ(registry->getDword(options, "Check Mail on Startup"), 1u);
    EXPECT_EQ(registry->getDword(options, "Warn on Mapi Send"), 0u);
}

TEST(MailClientSetupTest, SeedingKeepsWhatIsThere)
{
    auto registry = platform::Registry::inMemory();
    ASSERT_TRUE(registry->createKey(kMailClientsKey));
    ASSERT_TRUE(registry->setString(kMailClientsKey, "", "Evolution"));
    ASSERT_TRUE(seedMailRegistry(*registry));
    EXPECT_EQ(registry->getString(kMailClientsKey, ""), "Evolution");
    EXPECT_EQ(readMailClientKind(*registry), kMailClientOutlook);
}

TEST(MailClientSetupTest, KindAndReadinessFromTheRegistry)
{
    struct Case {
        const char* client; // nullptr: no value.
        const char* version;
        bool outlookClass;
        int kind;
        bool ready;
    };
    const Case cases[] = {
        { "outlook express", "6,0,2900,5512", false, 1, true },
        { "Outlook Express", "6,00,2900,5512", false, 1, false },
        { "Outlook Express", "5,50,4133,2400", false, 1, true },
        { "Outlook Express", "4,72,3110,1", false, 1, false }, // Outlook Express 4: "version fail".
        { "Outlook Express", nullptr, false, 1, false },
        { nullptr, "6,0,1", false, 2, false },
        { "Microsoft Outlook", nullptr, true, 2, true },
    };
    for (const Case& c : cases) {
        auto registry = platform::Registry::inMemory();
        if (c.client) {
            ASSERT_TRUE(registry->createKey(kMailClientsKey));
            ASSERT_TRUE(registry->setString(kMailClientsKey, "", c.client));
        }
        if (c.version) {
            ASSERT_TRUE(registry->createKey(kExpressVersionKey));
            ASSERT_TRUE(registry->setString(kExpressVersionKey, "Current", c.version));
        }
        ASSERT_TRUE(registry->createKey(kIdentitiesKey));
        ASSERT_TRUE(registry->setString(kIdentitiesKey, "Default User ID", "{id}"));
        if (c.outlookClass) {
            ASSERT_TRUE(registry->createKey(kOutlookClassKey));
        }
        platform::testing::FakeUi ui;
        int kind = readMailClientKind(*registry);
        EXPECT_EQ(kind, c.kind) << (c.client ? c.client : "-");
        EXPECT_EQ(setUpMailClient(*registry, kind, ui), c.ready) << (c.version ? c.version : "-");
    }
}

TEST(MailClientSetupTest, MissingIdentityIsToldButTheMailProgramIsReady)
{
    auto registry = platform::Registry::inMemory();
    ASSERT_TRUE(registry->createKey(kExpressVersionKey));
    ASSERT_TRUE(registry->setString(kExpressVersionKey, "Current", "6,0,1"));
    platform::testing::FakeUi ui;
    EXPECT_TRUE(setUpMailClient(*registry, kMailClientOutlookExpress, ui));
    auto calls = ui.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].title, "Quillon");
    EXPECT_EQ(calls[0].text, kMailSettingFailed);
    EXPECT_EQ(calls[0].icon, platform::Icon::Warning);
}

} // namespace
} // namespace pc::mail
