#include "pc/app/console_log.h"
#include "pc/app/login_dialog.h"
#include "pc/app/settings_dialog.h"
#include "platform/temp_folder.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pc::app {
namespace {

namespace fs = std::filesystem;
using platform::testing::FakeUi;

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest()
        : temp("quillon-app")
        , home(temp.path())
        , profile(home / "Quillon.ini")
        , registry(platform::Registry::inMemory())
        , store(profile)
        , autostart(*registry, "/usr/bin/quillon --headless", home / "config" / "autostart")
    {
    }

    std::string value(const std::string& key) { return profile.getString("Quillon", key, "<missing>"); }

    std::unique_ptr<SettingsDialog> dialogFor(const std::string& id)
    {
        settings = store.loadUserSettings(id);
        return std::make_unique<SettingsDialog>(store, autostart, ui, id, settings);
    }

    platform::TempFolder temp;
    fs::path home;
    platform::Profile profile;
    std::unique_ptr<platform::Registry> registry;
    SettingsStore store;
    Autostart autostart;
    FakeUi ui;
    UserSettings settings;
};

TEST_F(SettingsTest, FirstStartWritesTheDefaultsAndOpensEmpty)
{
    LoginDialog dialog(store, ui);
    LoginEntry entry = dialog.open();
    EXPECT_EQ(entry.id, "");
    EXPECT_EQ(entry.password, "");
    EXPECT_FALSE(entry.rememberId);
    EXPECT_EQ(value("savedid"), "");
    EXPECT_EQ(value("savedpw"), "");
    EXPECT_EQ(value("idsaved"), "false");
    EXPECT_EQ(value("pwsaved"), "false");

    UserSettings user = store.loadUserSettings("kim");
    EXPECT_FALSE(user.startWithSystem);
    EXPECT_TRUE(user.accounts.empty());
    EXPECT_EQ(value("kim_check1"), "false");
    EXPECT_EQ(value("kim_check2"), "false");
    EXPECT_EQ(value("kim_pop3cnt"), "0");
}

TEST_F(SettingsTest, CodePageDefaultsToUtf8AndReadsItsAliases)
{
    EXPECT_EQ(store.readCodePage(), "UTF-8");
    EXPECT_EQ(value("CodePage"), "UTF-8");
    struct Case {
        const char* stored;
        const char* used;
    };
    const Case cases[] = { { "CP949", "CP949" }, { "euc-kr", "CP949" }, { "utf8", "UTF-8" },
        { "no-such-page", "UTF-8" }, { "UTF-16", "UTF-8" }, { "", "UTF-8" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        (void)profile.writeString("Quillon", "CodePage", c.stored);
        EXPECT_EQ(store.readCodePage(), c.used);
    }
    EXPECT_FALSE(store.storeCodePage("no-such-page"));
    EXPECT_FALSE(store.storeCodePage("UTF-16"));
    EXPECT_TRUE(store.storeCodePage("ks_c_5601-1987"));
    EXPECT_EQ(value("CodePage"), "CP949");
}

TEST_F(SettingsTest, RememberedIdWithoutPassword)
{
    LoginDialog first(store, ui);
    first.open();
    ASSERT_TRUE(first.accept({ "kim", "pw1", true, false }));
    // A password the user did not ask to remember never reaches the disk.
    EXPECT_EQ(value("savedpw"), "");

    LoginDialog second(store, ui);
    LoginEntry entry = second.open();
    EXPECT_EQ(entry.id, "kim");
    EXPECT_TRUE(entry.rememberId);
    EXPECT_EQ(entry.password, "");
    EXPECT_FALSE(entry.rememberPassword);

    // Remembered, then no longer: the stored password goes.
    ASSERT_TRUE(second.accept({ "kim", "pw2", true, true }));
    EXPECT_EQ(value("savedpw"), "pw2");
    ASSERT_TRUE(second.accept({ "kim", "pw3", true, false }));
    EXPECT_EQ(value("savedpw"), "");
}

TEST_F(SettingsTest, IdOptionFillsTheIdAndOnlyItsOwnRememberedPassword)
{
    LoginDialog first(store, ui);
    first.open();
    ASSERT_TRUE(first.accept({ "kim", "pw1", true, true }));

    LoginDialog same(store, ui);
    same.setIdOption("kim");
    LoginEntry entry = same.open();
    EXPECT_EQ(entry.id, "kim");
    EXPECT_EQ(entry.password, "pw1");

    LoginDialog other(store, ui);
    other.setIdOption("lee");
    entry = other.open();
    EXPECT_EQ(entry.id, "lee");
    EXPECT_EQ(entry.password, ""); // Kim's password is not offered to lee.

    // Cancel at start-up says why the program would end, and may be taken back.
    ui.pushAnswer(platform::Answer::Cancel);
    EXPECT_FALSE(confirmLoginCancel(ui));
    EXPECT_EQ(ui.lastText(), "서버를 시작하려면 아이디와 비밀번호가 필요합니다.\n"
                             "로그인하지 않으면 Quillon을 종료합니다. 종료하시겠습니까?");
    ui.pushAnswer(platform::Answer::Ok);
    EXPECT_TRUE(confirmLoginCancel(ui));
}

TEST_F(SettingsTest, LoginDialogRefusesEmptyFields)
{
    LoginDialog dialog(store, ui);
    dialog.open();
    EXPECT_FALSE(dialog.accept({ "", "pw", false, false }));
    EXPECT_EQ(ui.lastText(), "아이디를 입력해주세요.");
    EXPECT_FALSE(dialog.accept({ "kim", "", false, false }));
    EXPECT_EQ(ui.lastText(), "패스워드를 입력해주세요.");
    EXPECT_EQ(ui.calls().back().title, "Quillon");
    EXPECT_FALSE(dialog.credentials());
}

TEST_F(SettingsTest, AccountTableRoundTripsThroughTheBackquoteFormat)
{
    EXPECT_EQ(encodeMailAccounts({ { "a", "b", "c" }, { "d", "e", "f" } }), "a`b`c`d`e`f`");
    auto decoded = decodeMailAccounts("a`b`c`d`e`f`", 2);
    EXPECT_EQ(decoded, (std::vector<MailAccount> { { "a", "b", "c" }, { "d", "e", "f" } }));
    // A shorter text than the count promises yields empty fields.
    EXPECT_EQ(decodeMailAccounts("a`b`", 2), (std::vector<MailAccount> { { "a", "b", "" }, { "", "", "" } }));
    EXPECT_TRUE(decodeMailAccounts("a`b`c`", -1).empty());

    auto dialog = dialogFor("kim");
    ASSERT_TRUE(dialog->addAccount({ "pop.example.org", "kim", "p w" }));
    ASSERT_TRUE(dialog->addAccount({ "mail.example.net", "kim2", "x" }));
    dialog->apply();
    EXPECT_EQ(value("kim_pop3cnt"), "2");
    EXPECT_EQ(value("kim_pop3info"), "pop.example.org`kim`p w`mail.example.net`kim2`x`");
    platform::Profile reread(home / "Quillon.ini");
    SettingsStore again(reread);
    EXPECT_EQ(again.loadUserSettings("kim").accounts.size(), 2u);
    EXPECT_TRUE(again.loadUserSettings("lee").accounts.empty());
}

TEST_F(SettingsTest, EachAccountKeepsItsProtectionBesideTheAccountList)
{
    using mail::Pop3Security;
    auto dialog = dialogFor("kim");
    ASSERT_TRUE(dialog->addAccount({ "pop.example.org", "kim", "a", Pop3Security::Pop3s }));
    ASSERT_TRUE(dialog->addAccount({ "plain.example.net", "kim", "b" }));
    ASSERT_TRUE(dialog->addAccount({ "mail.example.net", "kim", "c", Pop3Security::Stls }));
    dialog->apply();
    // The account list keeps the form a PC without TLS reads.
    EXPECT_EQ(value("kim_pop3info"), "pop.example.org`kim`a`plain.example.net`kim`b`mail.example.net`kim`c`");
    EXPECT_EQ(value("kim_pop3tls"), "pop3s``stls`");
    platform::Profile reread(home / "Quillon.ini");
    auto accounts = SettingsStore(reread).loadUserSettings("kim").accounts;
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts[0].security, Pop3Security::Pop3s);
    EXPECT_EQ(accounts[1].security, Pop3Security::Clear);
    EXPECT_EQ(accounts[2].security, Pop3Security::Stls);

    // Missing or unknown names read as clear.
    std::vector<MailAccount> table(3);
    decodeMailSecurity("STLS`bogus`", table);
    EXPECT_EQ(table[0].security, Pop3Security::Stls);
    EXPECT_EQ(table[1].security, Pop3Security::Clear);
    EXPECT_EQ(table[2].security, Pop3Security::Clear);
}

TEST_F(SettingsTest, DeletingTwoOfThreeAccountsAfterConfirmation)
{
    auto dialog = dialogFor("kim");
    for (const char* server : { "s1", "s2", "s3" })
        ASSERT_TRUE(dialog->addAccount({ server, "u", "p" }));
    EXPECT_FALSE(dialog->deleteSelected({}));
    EXPECT_EQ(ui.lastText(), "선택된 설정이 없습니다");

    ui.pushAnswer(platform::Answer::No);
    EXPECT_FALSE(dialog->deleteSelected({ 0, 2 }));
    EXPECT_EQ(dialog->accounts().size(), 3u);

    ui.pushAnswer(platform::Answer::Yes);
    EXPECT_TRUE(dialog->deleteSelected({ 0, 2 }));
    EXPECT_EQ(ui.lastText(), "선택된 2개의 설정을 삭제하시겠습니까?");
    ASSERT_EQ(dialog->accounts().size(), 1u);
    EXPECT_EQ(dialog->accounts()[0].server, "s2");
    dialog->apply();
    EXPECT_EQ(value("kim_pop3cnt"), "1");
    EXPECT_EQ(value("kim_pop3info"), "s2`u`p`");
}

TEST_F(SettingsTest, ModifyChecksSelectionAndFields)
{
    struct Editor final : AccountEditor {
        std::optional<MailAccount> result;
        std::string title;
        std::optional<MailAccount> editAccount(const std::string& t, const MailAccount&) override
        {
            title = t;
            return result;
        }
    } editor;
    auto dialog = dialogFor("kim");
    dialog->addAccount({ "s1", "u1", "p1" });
    dialog->addAccount({ "s2", "u2", "p2" });
    struct Case {
        std::vector<std::size_t> rows;
        MailAccount edited;
        const char* message;
    };
    const Case cases[] = {
        { {}, { "x", "y", "z" }, "선택된 설정이 없습니다" },
        { { 0, 1 }, { "x", "y", "z" }, "한개만 선택하십시오" },
        { { 1 }, { "x", "", "z" }, "아이디를 입력하지 않으셨습니다" },
        { { 1 }, { "x", "y", "" }, "비밀번호를 입력하지 않으셨습니다" },
        { { 1 }, { "", "y", "z" }, "메일서버를 입력하지 않으셨습니다" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        editor.result = c.edited;
        EXPECT_FALSE(dialog->modifySelected(c.rows, editor));
        EXPECT_EQ(ui.lastText(), c.message);
        EXPECT_EQ(dialog->accounts()[1], (MailAccount { "s2", "u2", "p2" }));
    }
    editor.result = MailAccount { "x", "y", "z" };
    EXPECT_TRUE(dialog->modifySelected({ 1 }, editor));
    EXPECT_EQ(editor.title, "메일서버 수정");
    EXPECT_EQ(dialog->accounts()[1], (MailAccount { "x", "y", "z" }));
}

TEST_F(SettingsTest, AccountDialogRefusesEmptyFieldsAndTheTableHoldsThirty)
{
    auto dialog = dialogFor("kim");
    EXPECT_FALSE(dialog->addAccount({ "", "u", "p" }));
    EXPECT_EQ(ui.lastText(), "메일서버를 입력해주십시오.");
    EXPECT_FALSE(dialog->addAccount({ "s", "", "p" }));
    EXPECT_EQ(ui.lastText(), "아이디를 입력해주십시오.");
    EXPECT_FALSE(dialog->addAccount({ "s", "u", "" }));
    EXPECT_EQ(ui.lastText(), "비밀번호를 입력해주십시오.");
    EXPECT_FALSE(dialog->addAccount({ "s`x", "u", "p" }));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(dialog->addAccount({ "s" + std::to_string(i), "u", "p" }));
    EXPECT_FALSE(dialog->addAccount({ "s31", "u", "p" }));
    EXPECT_EQ(dialog->accounts().size(), 30u);
}

TEST_F(SettingsTest, StartWithSystemWritesAndRemovesTheAutostartEntry)
{
    auto dialog = dialogFor("kim");
    dialog->setStartWithSystem(true);
    dialog->setStartServerAfterLogin(true);
    UserSettings applied = dialog->apply();
    EXPECT_TRUE(applied.startServerAfterLogin);
    EXPECT_EQ(value("kim_check1"), "true");
    EXPECT_EQ(value("kim_check2"), "true");
    EXPECT_EQ(registry->getString(Autostart::kRunKey, "Brenwick Quillon"), "/usr/bin/quillon --headless");
    std::ifstream desktop(autostart.desktopFile());
    std::string content((std::istreambuf_iterator<char>(desktop)), {});
    EXPECT_NE(content.find("Exec=/usr/bin/quillon --headless\n"), std::string::npos);

    auto off = dialogFor("kim");
    EXPECT_TRUE(settings.startWithSystem);
    off->setStartWithSystem(false);
    off->apply();
    EXPECT_EQ(value("kim_check1"), "false");
    EXPECT_FALSE(registry->getString(Autostart::kRunKey, "Brenwick Quillon"));
    EXPECT_FALSE(fs::exists(autostart.desktopFile()));

    auto on = dialogFor("kim");
    on->setStartWithSystem(true);
    on->apply();
    EXPECT_TRUE(autostart.isEnabled());
    EXPECT_TRUE(fs::exists(autostart.desktopFile()));
}

TEST(ConsoleLog, StampsEveryEntry)
{
    EXPECT_EQ(formatLogStamp({ 2026, 1, 5, 9, 3, 7, 0, 1 }), "2026/1/5 9시3분7초   ");
    struct FixedClock final : platform::Clock {
        platform::WallTime now() const override { return platform::WallTime {}; }
        platform::Ticks ticks() const override { return platform::Ticks { 0 }; }
    } clock;
    std::ostringstream out;
    ConsoleLog log(clock, out);
    EXPECT_FALSE(log.hasText());
    log.appendLog("PC 서버를 시작합니다..\n");
    log.appendLog("\nThis Computer IP : 1.2.3.4\n");
    log.append("plain", ConsoleLog::kPlain);
    log.append("nothing", 7);
    std::string stamp = formatLogStamp(platform::toLocalTime(platform::WallTime {}));
    EXPECT_EQ(out.str(), stamp + "PC 서버를 시작합니다..\n\n" + stamp + "This Computer IP : 1.2.3.4\nplain\n");
    EXPECT_EQ(log.text(), out.str());
}

TEST(ConsoleLog, HoldsABoundedRingAndFoldsRepeats)
{
    platform::testing::ManualClock clock;
    std::ostringstream out;
    ConsoleLog log(clock, out);
    // A flood of the same refusal shows once, then one note with the count.
    for (int i = 0; i < 100000; ++i)
        log.appendLog("접속 IP: 10.0.0.9\n사용자 인증에 실패하였습니다..\n");
    log.appendLog("PC 서버를 종료합니다..\n");
    std::string text = log.text();
    std::size_t refusals = 0;
    for (std::size_t at = text.find("사용자 인증에 실패"); at != std::string::npos;
         at = text.find("사용자 인증에 실패", at + 1))
        ++refusals;
    EXPECT_EQ(refusals, 1u);
    EXPECT_NE(text.find(repeatNote(99999)), std::string::npos);
    EXPECT_EQ(out.str(), text);

    // The same entry after a quiet spell is shown again, after its note.
    log.appendLog("PC 서버를 종료합니다..\n");
    clock.advance(LogHistory::kRepeatWindow);
    log.appendLog("PC 서버를 종료합니다..\n");
    std::string after = log.text().substr(text.size());
    EXPECT_NE(after.find(repeatNote(1)), std::string::npos) << after;
    EXPECT_NE(after.find("종료"), std::string::npos);
    EXPECT_EQ(after.find("종료"), after.rfind("종료")) << after;

    // Different entries beyond the bound push the oldest out.
    for (std::size_t i = 0; i < LogHistory::kMaxLines * 3; ++i)
        log.appendLog("접속 IP: 10.0." + std::to_string(i) + "\n");
    std::string bounded = log.text();
    EXPECT_LE(static_cast<std::size_t>(std::count(bounded.begin(), bounded.end(), '\n')), LogHistory::kMaxLines);
    EXPECT_EQ(bounded.find("사용자 인증에 실패"), std::string::npos);
    EXPECT_NE(bounded.find("10.0." + std::to_string(LogHistory::kMaxLines * 3 - 1) + "\n"), std::string::npos);
}

} // namespace
} // namespace pc::app
