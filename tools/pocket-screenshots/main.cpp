// quillon-pocket-screenshots OUT_DIR
//
// Renders the handheld program's window offscreen into PNG files, so that
// its look can be reviewed without a display: the main screen on the MSN
// view, the same window resized by the user, the My PC view after a log-in with its web view, the log-in dialog and the accounts
// page of the options sheet, and the question of the first connection to a
// PC (pairing), each on the emulated 240×320 screen at twice its size. The program runs over its real core in a temporary home folder
// at a fixed time; nothing connects anywhere.

#include "gui/pocket/pocket_gui.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_options_sheet.h"
#include "gui/pocket/qt_pocket_login_dialog.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/qt_message_box.h"
#include "platform/registry.h"
#include "platform/testing/manual_clock.h"
#include "platform/ui.h"
#include "pocket/link/pc_pairing.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/pda_settings.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
namespace frame = pocket::app;
using gui::handheld::PocketGui;

// Answers every question with OK and shows nothing.
struct QuietUi final : platform::Ui {
    void messageBox(std::string_view, std::string_view, platform::Icon) override { }
    platform::Answer question(std::string_view, std::string_view, platform::Buttons, platform::Icon) override
    {
        return platform::Answer::Ok;
    }
};

struct NoDialUp final : pocket::settings::DialUp {
    std::vector<std::string> phonebookEntries() override { return { "GPRS" }; }
    std::optional<std::vector<std::string>> activeConnections() override { return std::nullopt; }
    bool startDial(const std::string&) override { return false; }
    bool hangUp(const std::string&) override { return false; }
};

// 2026-03-14 09:30 local time.
platform::WallTime fixedTime()
{
    std::tm local {};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 14;
    local.tm_hour = 9;
    local.tm_min = 30;
    local.tm_isdst = -1;
    return platform::WallTime(std::chrono::seconds(std::mktime(&local)));
}

void seed(platform::Registry& registry)
{
    const char* key = pocket::settings::kSettingsKey;
    (void)registry.createKey(key);
    (void)registry.setDword(key, "save", 1);
    (void)registry.setString(key, "SEVER_IP", "192.168.0.10");
    (void)registry.setString(key, "MY_ID", "kim");
    (void)registry.setString(key, "MY_PASSWORD", "secret");
    (void)registry.setString(key, "MSNID", "kim@example.com");
    (void)registry.setString(key, "MSNPASS", "secret");
    (void)registry.setString(key, "ICQID", "12345678");
    (void)registry.setString(key, "ICQPASS", "secret");
    (void)registry.setString(key, "my-connection", "GPRS");
}

bool save(const QPixmap& pixmap, const fs::path& file)
{
    if (!pixmap.save(QString::fromStdString(file.string()), "PNG")) {
        std::cerr << "quillon-pocket-screenshots: cannot write " << file << std::endl;
        return false;
    }
    std::cout << file.string() << std::endl;
    return true;
}

// A full-screen dialog of the device: drawn over the window below the title
// band, as the device shows it.
QPixmap onDevice(QWidget& window, QWidget& dialog, int top)
{
    QPixmap screen = window.grab();
    QPainter painter(&screen);
    painter.drawPixmap(0, top, dialog.grab());
    return screen;
}

// The question of the first connection to a PC, as the pairing asks it,
// centred over the window as the program places it. The question, drawn at
// the handheld's scale, may be wider than the window: the picture then takes
// in the desktop around the window.
QPixmap pairingQuestion(QWidget& window)
{
    const std::string fingerprint
        = "3F:A2:5C:11:8E:07:D4:92:6B:E0:13:7A:C8:55:0F:B9:24:6D:E1:83:3C:9A:70:5E:B2:48:1F:C6:D7:05:AE:9C";
    auto box = gui::makeMessageBox("Quillon", pocket::link::firstPairingQuestion("192.168.0.10", fingerprint),
        platform::Buttons::YesNo, platform::Icon::Question, &window);
    box->show();
    QApplication::processEvents();
    const QPixmap question = box->grab();
    const QPixmap handheld = window.grab();
    constexpr int kDesktop = 24;
    const QSize size = handheld.size().expandedTo(question.size() + QSize(2 * kDesktop, 2 * kDesktop));
    QPixmap screen(size);
    screen.fill(QColor(0x3c, 0x46, 0x50));
    QPainter painter(&screen);
    const auto centred = [&size](const QPixmap& picture) {
        return QPoint((size.width() - picture.width()) / 2, (size.height() - picture.height()) / 2);
    };
    painter.drawPixmap(centred(handheld), handheld);
    painter.drawPixmap(centred(question), question);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawRect(QRect(centred(question), question.size()).adjusted(0, 0, -1, -1));
    return screen;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quillon-pocket-screenshots OUT_DIR" << std::endl;
        return 2;
    }
    const fs::path out = argv[1];
    std::error_code error;
    fs::create_directories(out, error);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("NanumGothic")));

    const fs::path home
        = fs::temp_directory_path() / ("quillon-pocket-screenshots-" + std::to_string(::getpid()));
    fs::create_directories(home, error);
    auto registry = platform::Registry::inMemory();
    seed(*registry);
    platform::testing::ManualClock clock(fixedTime());
    QuietUi ui;
    NoDialUp dialUp;
    bool ok = true;
    {
        PocketGui gui(
            { .home = home, .clock = &clock, .ui = &ui, .dialUp = &dialUp, .singleInstance = false },
            *registry);
        if (gui.start() != frame::StartResult::Running) {
            std::cerr << "quillon-pocket-screenshots: the frame did not start" << std::endl;
            return 1;
        }
        clock.advance(std::chrono::milliseconds(frame::kStartDelayMs));
        gui.loop().processPending();
        auto& window = gui.window();
        window.show();
        app.processEvents();
        ok &= save(window.grab(), out / "pocket-main.png");
        // Resized by the user: the screen scales to fit, the rest stays dark.
        const QSize size = window.size();
        window.resize(size.width() * 3 / 2, size.height() * 5 / 4);
        app.processEvents();
        ok &= save(window.grab(), out / "pocket-resized.png");
        window.resize(size);
        app.processEvents();

        // My PC after a log-in: the PC's drives under "PDA", the connected menu bar.
        gui.handheld().mypc().tree.addDrives({ "C:", "D:" });
        gui.handheld().frame().setConnected(true);
        gui.handheld().frame().onViewButton(frame::kButtonMyPc);
        app.processEvents();
        ok &= save(window.grab(), out / "pocket-mypc.png");
        // "화면변경": the web view of the My PC view, on the start page.
        gui.handheld().frame().toggleScreen();
        app.processEvents();
        ok &= save(window.grab(), out / "pocket-web.png");
        gui.handheld().frame().toggleScreen();
        gui.handheld().frame().setConnected(false);
        gui.handheld().frame().onViewButton(frame::kButtonMsn);

        const int top = window.screen().px(frame::kTitleBandHeight);
        gui.handheld().frame().onCommand(frame::kCmdConnect);
        app.processEvents();
        ok &= save(onDevice(window, gui.loginDialog(), top), out / "pocket-login.png");
        gui.loginDialog().hide();

        gui.handheld().frame().onCommand(frame::kCmdOptions);
        app.processEvents();
        ok &= save(onDevice(window, gui.optionsSheet(), top), out / "pocket-options.png");
        gui.optionsSheet().hide();

        ok &= save(pairingQuestion(window), out / "pocket-pairing.png");
    }
    fs::remove_all(home, error);
    return ok ? 0 : 1;
}
