#pragma once

// File: gui/pocket/pocket_gui.h
// The handheld program with its Qt front end: builds the object graph (the
// Qt event loop as the window thread, the settings, the PC link, the log-in
// dialog, the options sheet, the pen-message windows, the title band, the
// frame) and provides the frame's services and the views the core reports
// to. Build it on the GUI thread after the QApplication.
//
//     gui::handheld::PocketGui gui({ .home = home }, registry);
//     if (gui.start() != StartResult::Running) return ...;
//     gui.window().show();
//     return app.exec();

#include "gui/pocket/pocket_screen.h"
#include "pocket/app/frame_app.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/options_sheet.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string_view>

namespace platform {
class Clock;
class Registry;
class SingleInstance;
class Ui;
}

namespace pocket::link {
class LoginDialog;
}

namespace pocket::mail {
class MyPcMailUpload;
}

namespace pocket::settings {
class DialUp;
class SettingsStore;
struct PdaSettings;
}

namespace pocket::ink {
class PenInbox;
class PenMessageBox;
}

namespace gui::ink {
class QtPenMessageBox;
}

namespace gui::handheld {

class PocketMail;
class PocketMessengers;
class PocketMyPc;
class QtOptionsSheet;
class QtPocketLoginDialog;
class QtPocketWindow;

struct PocketGuiOptions {
    std::filesystem::path home;
    PocketScreen screen {};
    // Stand-ins for tests and the screenshot tool; the real ones otherwise.
    platform::Clock* clock = nullptr;
    platform::Ui* ui = nullptr;
    ::pocket::settings::DialUp* dialUp = nullptr;
    // One instance per home folder.
    bool singleInstance = true;
};

class PocketGui final : public ::pocket::app::FrameServices,
                        public ::pocket::link::PcLinkView,
                        public ::pocket::settings::MessengerHost {
public:
    PocketGui(PocketGuiOptions options, platform::Registry& registry);
    ~PocketGui() override;

    ::pocket::app::StartResult start();

    QtPocketWindow& window() { return *m_window; }
    ::pocket::app::HandheldFrame& frame() { return *m_frame; }
    platform::EventLoop& loop();
    ::pocket::settings::PdaSettings& settings() { return *m_settings; }
    ::pocket::link::PcLink& link() { return *m_link; }
    QtPocketLoginDialog& loginDialog() { return *m_loginView; }
    QtOptionsSheet& optionsSheet() { return *m_sheetView; }
    gui::ink::QtPenMessageBox& penMessageBox() { return *m_penBoxView; }
    // Where the messengers file received pen messages.
    ::pocket::ink::PenInbox& penInbox();

    // FrameServices.
    bool registerContactStore() override;
    void createHtmlViews() override;
    void releaseHtmlViews() override;
    void listStoredMail() override;
    void prepareMessengers(::pocket::app::FrameRouter& router) override;
    void closeMessengers() override;
    void setCodePage(const std::string& codePage) override;
    void openStartPage(const std::string& page) override;
    void showWebPage(const std::string& url) override;
    void showAbout() override;
    void openPenMessageBox() override;
    void openLoginDialog() override;
    void openOptions() override;

    // PcLinkView.
    void setConnectedMenu(bool connected) override;
    void resetPcTree() override;
    void addDriveItems(const std::vector<std::string>& drives) override;

    // MessengerHost.
    void setMsnStatusLine(const std::string& text) override;
    void signOutMsn() override;
    void resetIcq(const std::string& number) override;
    void closeIcq() override;
    void rebuildMessengerTabs() override;

    // A tap on a main-dialog button that the frame itself does not handle
    // (the My PC, e-mail and web buttons), for the views that own them.
    void setButtonHandler(int id, std::function<void()> handler)
    {
        m_buttonHandlers[id] = std::move(handler);
    }

    // The My PC view, once the main dialog is up.
    PocketMyPc* myPc() { return m_mypc.get(); }

    // The MSN and ICQ sessions and pages, once the main dialog is up.
    PocketMessengers* messengers() { return m_messengers.get(); }

private:
    struct Parts;
    struct Web;
    void onButton(int id);
    bool onWebButton(int id);

    std::unique_ptr<Parts> m_parts;
    std::unique_ptr<QtPocketWindow> m_window;
    std::unique_ptr<QtPocketLoginDialog> m_loginView;
    std::unique_ptr<QtOptionsSheet> m_sheetView;
    std::unique_ptr<gui::ink::QtPenMessageBox> m_penBoxView;
    ::pocket::settings::PdaSettings* m_settings = nullptr;
    ::pocket::link::PcLink* m_link = nullptr;
    std::map<int, std::function<void()>> m_buttonHandlers;
    std::unique_ptr<PocketMessengers> m_messengers;
    std::unique_ptr<Web> m_web;
    std::unique_ptr<PocketMyPc> m_mypc;
    std::unique_ptr<::pocket::mail::MyPcMailUpload> m_mailUpload;
    std::unique_ptr<PocketMail> m_mail;
    std::string m_codePage;
    std::unique_ptr<::pocket::app::HandheldFrame> m_frame;
};

// Whether Qt can open a window here (an X11 or Wayland display, or a
// platform named in QT_QPA_PLATFORM).
bool hasDisplay();

// "quillon-pocket [--home DIR] [--scale N]": the handheld program with its
// window, the 240×320 screen drawn N times larger (2 unless given).
int runPocketGui(std::span<const std::string_view> args, int argc, char** argv);

} // namespace gui::handheld
