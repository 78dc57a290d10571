// The settings dialog's server page and account test, and the shell that
// puts them in force: ports stored in the profile and used at the next
// server start, the command line's ports over the profile's, a new log-in
// that the handheld must then present, and a test log-in against a real
// POP3 server that says what happened.

#include "pc/app/pc_shell.h"
#include "pc/app/settings_dialog.h"
#include "platform/poll_event_loop.h"
#include "platform/temp_folder.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "tests/fixtures/mail/dovecot_server.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pc::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::testing::FakeUi;

struct RecordingSettingsView final : SettingsView {
    void showAccounts(const std::vector<MailAccount>& shown) override { accounts = shown; }
    void showStartOptions(bool, bool) override { }
    void showServerSettings(const ServerSettings& shown) override { server = shown; }
    void setAccountEditingEnabled(bool enabled) override { editingEnabled = enabled; }
    std::vector<MailAccount> accounts;
    std::optional<ServerSettings> server;
    std::optional<bool> editingEnabled;
};

struct NullLog final : service::ServiceLog {
    void appendLog(std::string_view) override { }
};

class ServerSettingsTest : public ::testing::Test {
protected:
    ServerSettingsTest()
        : temp("quillon-server-page")
    {
    }

    std::unique_ptr<PcShell> makeShell(ShellConfig config)
    {
        auto created = PcShell::create(loop, log, ui, accessLog, std::move(config));
        EXPECT_TRUE(created);
        return created ? std::move(*created) : nullptr;
    }
    // Loopback, with the profile's ports unless `fromProfile` is false.
    ShellConfig config(bool fromProfile) const
    {
        ShellConfig config = loopbackShellConfig(temp.path());
        if (fromProfile)
            config.commandPort = config.uploadPort = config.webPort = std::nullopt;
        return config;
    }
    std::string value(const std::string& key) const
    {
        platform::Profile profile(temp.path() / "Quillon.ini");
        return profile.getString("Quillon", key, "<missing>");
    }

    platform::TempFolder temp;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    FakeUi ui;
    NullLog log;
    std::ostringstream accessLog;
};

TEST_F(ServerSettingsTest, PortsComeFromTheProfileUnlessTheCommandLineGivesThem)
{
    auto shell = makeShell(config(true));
    EXPECT_EQ(shell->listenPorts(), (service::ListenPorts { 4000, 4040, 91 }));
    EXPECT_EQ(value("CommandPort"), "4000");
    shell.reset();

    platform::Profile profile(temp.path() / "Quillon.ini");
    ASSERT_TRUE(profile.writeString("Quillon", "CommandPort", "5000"));
    ASSERT_TRUE(profile.writeString("Quillon", "WebPort", "not a port"));
    ShellConfig given = config(true);
    given.uploadPort = 6040;
    shell = makeShell(given);
    EXPECT_EQ(shell->listenPorts(), (service::ListenPorts { 5000, 6040, 91 }));
}

TEST_F(ServerSettingsTest, ServerPageChecksStoresAndTellsWhenChangesApply)
{
    auto shell = makeShell(config(true));
    shell->onLoggedIn({ "kim", "secret" });
    auto dialog = shell->openSettingsDialog();
    RecordingSettingsView view;
    dialog->attach(&view);
    ASSERT_TRUE(view.server);
    EXPECT_EQ(*view.server, (ServerSettings { { 4000, 4040, 91 }, "UTF-8", "kim", "secret" }));

    struct Refusal {
        service::ListenPorts ports;
        const char* id;
        const char* password;
        const char* message;
    };
    const Refusal refusals[] = {
        { { 4000, 4000, 91 }, "kim", "secret", "명령, 업로드, 웹 포트는 서로 달라야 합니다." },
        { { 4000, 4040, 0 }, "kim", "secret", "포트는 1부터 65535까지의 숫자로 입력해주십시오." },
        { { 4000, 4040, 91 }, "", "secret", "아이디를 입력해주세요." },
        { { 4000, 4040, 91 }, "kim", "", "패스워드를 입력해주세요." },
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.message);
        dialog->setPorts(refusal.ports);
        dialog->setLogin(refusal.id, refusal.password);
        EXPECT_FALSE(dialog->checkEntries());
        EXPECT_EQ(ui.lastText(), refusal.message);
    }

    dialog->setPorts({ 4100, 4140, 8091 });
    dialog->setCodePage("CP949");
    dialog->setLogin("kim", "secret");
    ASSERT_TRUE(dialog->checkEntries());
    ui.clear();
    shell->applySettings(*dialog);
    EXPECT_EQ(ui.lastText(),
        "바뀐 포트(명령 4100, 업로드 4140, 웹 8091)는 다음 서버 시작부터 사용됩니다.\n"
        "바뀐 코드 페이지는 프로그램을 다시 시작하면 적용됩니다.");
    EXPECT_EQ(value("CommandPort"), "4100");
    EXPECT_EQ(value("UploadPort"), "4140");
    EXPECT_EQ(value("WebPort"), "8091");
    EXPECT_EQ(value("CodePage"), "CP949");
    EXPECT_EQ(shell->listenPorts(), (service::ListenPorts { 4100, 4140, 8091 }));
    // The running code page changes only with the next start.
    EXPECT_EQ(shell->codePage(), "UTF-8");

    // Applied again unchanged, nothing is said.
    ui.clear();
    auto again = shell->openSettingsDialog();
    shell->applySettings(*again);
    EXPECT_EQ(ui.callCount(), 0u);
}

TEST_F(ServerSettingsTest, NewLogInServesAtOnceAndTakesTheSettingsAlong)
{
    auto shell = makeShell(config(false));
    shell->settingsStore().writeLogin("kim", "secret", true, false);
    shell->onLoggedIn({ "kim", "secret" });
    auto dialog = shell->openSettingsDialog();
    ASSERT_TRUE(dialog->addAccount({ "pop.example.org", "kim", "pw" }));
    dialog->setStartServerAfterLogin(true);
    dialog->setLogin("lee", "new secret");
    dialog->setPorts({ 4000, 4040, 91 }); // The loopback shell's ports are the system's choice (0).
    ASSERT_TRUE(dialog->checkEntries());
    shell->applySettings(*dialog);

    EXPECT_EQ(shell->loginId(), "lee");
    EXPECT_EQ(shell->userSettings().accounts.size(), 1u);
    EXPECT_EQ(value("savedid"), "lee");
    // The password stays off the disk: it was not to be remembered.
    EXPECT_EQ(value("savedpw"), "");
    EXPECT_EQ(value("lee_pop3cnt"), "1");
    EXPECT_EQ(value("lee_check2"), "true");
}

TEST_F(ServerSettingsTest, DeleteAndModifyAreEnabledOnlyWithAccounts)
{
    auto shell = makeShell(config(false));
    shell->onLoggedIn({ "kim", "secret" });
    auto dialog = shell->openSettingsDialog();
    RecordingSettingsView view;
    dialog->attach(&view);
    EXPECT_EQ(view.editingEnabled, false);
    ASSERT_TRUE(dialog->addAccount({ "pop.example.org", "kim", "pw" }));
    EXPECT_EQ(view.editingEnabled, true);
    ui.pushAnswer(platform::Answer::Yes);
    ASSERT_TRUE(dialog->deleteSelected({ 0 }));
    EXPECT_EQ(view.editingEnabled, false);
    dialog->attach(nullptr);
}

TEST(MailAccountTest, TestLogInSaysWhatHappened)
{
    auto server = tests::fixtures::DovecotServer::start({ { "kim", "secret" } });
    ASSERT_TRUE(server) << server.error();
    std::string address = "127.0.0.1:" + std::to_string((*server)->port());

    EXPECT_EQ(testMailAccount({ address, "kim", "secret" }, 8s), address + " (kim): 로그인에 성공했습니다.");
    std::string wrong = testMailAccount({ address, "kim", "wrong" }, 8s);
    EXPECT_TRUE(wrong.starts_with(address + " (kim): 아이디 또는 비밀번호가 틀립니다: -ERR")) << wrong;

    // A port nothing listens on.
    (*server).reset();
    EXPECT_EQ(testMailAccount({ address, "kim", "secret" }, 8s), address + " (kim): 연결이 거부되었습니다");
}

} // namespace
} // namespace pc::app
