#pragma once

// File: gui/pocket/pocket_gui.h
// The handheld program with its Qt front end: the Qt event loop as the
// window thread, the frame window with its main dialog, the views of every
// page and the dialogs, over one pocket::app::Handheld, the core that owns
// and wires every part. The widgets pass the user's actions to the core and
// draw what its parts tell them. Build it on the GUI thread after the
// QApplication.
//
//     gui::handheld::PocketGui gui({ .home = home }, registry);
//     if (gui.start() != StartResult::Running) return ...;
//     gui.window().show();
//     return app.exec();

#include "gui/pocket/pocket_screen.h"
#include "pocket/app/handheld.h"

#include <filesystem>
#include <memory>
#include <span>
#include <string_view>

namespace platform {
class Clock;
class Registry;
class Ui;
}

namespace gui::ink {
class QtPenMessageBox;
}

namespace gui::handheld {

class QtIcqTree;
class QtMailComposer;
class QtMailView;
class QtMyPcView;
class QtMsnChatWindows;
class QtMsnTree;
class QtOptionsSheet;
class QtPocketLoginDialog;
class QtPocketWindow;
class PocketScaling;

struct PocketGuiOptions {
    std::filesystem::path home;
    PocketScreen screen {};
    // Stand-ins for tests and the screenshot tool; the real ones otherwise.
    platform::Clock* clock = nullptr;
    platform::Ui* ui = nullptr;
    ::pocket::settings::DialUp* dialUp = nullptr;
    ::pocket::app::DesktopMail desktopMail {};
    // One instance per home folder.
    bool singleInstance = true;
};

class PocketGui final : public ::pocket::app::FrontEndDialogs {
public:
    PocketGui(PocketGuiOptions options, platform::Registry& registry);
    ~PocketGui() override;

    ::pocket::app::StartResult start();

    ::pocket::app::Handheld& handheld() { return *m_handheld; }
    platform::EventLoop& loop();
    QtPocketWindow& window() { return *m_window; }
    QtPocketLoginDialog& loginDialog();
    QtOptionsSheet& optionsSheet() { return *m_optionsSheet; }
    QtMailComposer& mailComposer() { return *m_mailComposer; }
    gui::ink::QtPenMessageBox& penMessageBox();
    QtMsnTree& msnTree();
    QtMsnChatWindows& msnChatWindows();
    QtIcqTree& icqTree();
    QtMyPcView& myPcView();
    QtMailView& mailView();

    // FrontEndDialogs.
    void showLoginDialog() override;
    void showOptions() override;
    void showPenMessageBox() override;
    void showComposer() override;
    void askSearchWord(const std::string& scope) override;
    void showIcqPenEditor(::pocket::ink::InkComposer& composer) override;

private:
    struct Platform;
    struct Views;

    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<QtPocketWindow> m_window;
    // Before the views: their dialogs take the scaled font as they are made.
    std::unique_ptr<PocketScaling> m_scaling;
    std::unique_ptr<Views> m_views;
    std::unique_ptr<::pocket::app::Handheld> m_handheld;
    std::unique_ptr<QtOptionsSheet> m_optionsSheet;
    std::unique_ptr<QtMailComposer> m_mailComposer;
};

// Whether Qt can open a window here (an X11 or Wayland display, or a
// platform named in QT_QPA_PLATFORM).
bool hasDisplay();

// "quillon-pocket [--home DIR] [--scale N]": the handheld program with its
// window, the 240×320 screen drawn N times larger (unless given, the largest
// of 1 and 2 at which the window fits the screen).
int runPocketGui(std::span<const std::string_view> args, int argc, char** argv);

} // namespace gui::handheld
