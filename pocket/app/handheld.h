#pragma once

// File: pocket/app/handheld.h
// The handheld program's one object graph: the settings, the PC link with its
// log-in dialog, My PC, the mail client, the web viewer, MSN, ICQ, the pen
// messages, the device services, and the frame that starts them, routes
// their window messages and ends them. The Qt window and the console are two
// sets of views over it (handheld_views.h); they build one Handheld, start
// it, and pass the user's actions in through its command functions:
//
//     Handheld handheld({ .home = home, .loop = loop, .registry = registry }, views);
//     if (handheld.start(&instance) != StartResult::Running) return ...;
//     handheld.onMenuCommand(kCmdConnect);   // "접속하기"
//     handheld.onButton(kMailRefresh);       // "REFRESH"
//
// Window thread only: built, used and destroyed on the loop's thread.

#include "pocket/app/frame_app.h"
#include "pocket/app/handheld_parts.h"
#include "pocket/app/handheld_views.h"
#include "pocket/device/device_root.h"
#include "pocket/device/title_band.h"
#include "pocket/ink/ink_viewer.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/pen_message_box.h"
#include "pocket/link/login_dialog.h"
#include "pocket/link/pc_finder.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/dial_up.h"
#include "pocket/settings/options_sheet.h"
#include "pocket/settings/settings_store.h"

#include <filesystem>
#include <memory>
#include <string_view>

namespace platform {
class Registry;
class SingleInstance;
}

namespace pocket::app {

struct HandheldSetup {
    // The program's home folder; the device root is its "device" folder.
    std::filesystem::path home;
    platform::EventLoop& loop;
    platform::Registry& registry;
    // The dial-up stand-in; nmcli when not given.
    settings::DialUp* dialUp = nullptr;
    // The desktop's mail program; xdg-email when not given.
    DesktopMail desktopMail {};
};

class Handheld final : private FrameServices, private link::PcLinkView, private settings::MessengerHost {
public:
    Handheld(HandheldSetup setup, HandheldViews views);
    ~Handheld() override;

    Handheld(const Handheld&) = delete;
    Handheld& operator=(const Handheld&) = delete;

    // The frame's start-up (Part of the frame: one instance per home folder
    // when `instance` is given). Running: the front end runs its loop.
    StartResult start(platform::SingleInstance* instance = nullptr);

    // The user's actions, each through the core's table for its kind.
    // A command of the frame window's menus; false for an unknown id.
    bool onMenuCommand(int id);
    // Whether a command of the frame window's menus can run now.
    bool isMenuCommandEnabled(int id) const { return m_frame->isCommandEnabled(id); }
    // A tap on a button of the main dialog, by its id; false for an unknown id.
    bool onButton(int id);
    // A command of the MSN page's menus ("MSN", "MSNUSER"); the account is
    // taken from the settings first.
    void onMsnCommand(int id);
    // A command of the ICQ page's menus; `selected` is the contact's number
    // for the contact menu. False for an unknown id.
    bool onIcqCommand(int id, std::string_view selected);
    // "PEN" (1032) of an ICQ message window.
    void onIcqWindowPen(int slot);
    // A tap-and-hold menu entry of the My PC tree.
    void onMyPcCommand(mypc::TreeItem& item, mypc::TreeCommand command);
    // A "PCF" menu entry on a row of the search result list.
    void onSearchResultCommand(const mypc::SearchRow& row, mypc::TreeCommand command);
    // The progress dialog's "취소".
    void onProgressCancel();
    // The mail view's "Text" (0) or "Html" (1): stored as "mailformat".
    void chooseMailFormat(int format);
    // "메일 첨부전송": the composer with this PC or handheld file attached.
    void composeWithAttachment(const std::string& path);
    // The window's close button and message 10024 ask; close() ends without asking.
    void askExit() { m_frame->askExit(); }
    void close() { m_frame->close(); }

    // The parts, for views that draw their models and tests that look.
    platform::EventLoop& loop() { return m_loop; }
    platform::Ui& ui() { return m_views.ui; }
    HandheldFrame& frame() { return *m_frame; }
    const device::DeviceRoot& device() const { return m_device; }
    settings::SettingsStore& store() { return m_store; }
    settings::PdaSettings& settings() { return m_settings; }
    settings::OptionsSheet& optionsSheet() { return m_optionsSheet; }
    link::PcLink& link() { return m_link; }
    link::PcPairing& pairing() { return m_pairing; }
    // The PCs announcing themselves on the network (Connections page,
    // console "discover").
    link::PcFinder& pcFinder() { return m_pcFinder; }
    link::LoginDialog& loginDialog() { return m_loginDialog; }
    device::ContactStore& contacts() { return m_contacts; }
    device::TitleBand& titleBand() { return m_titleBand; }
    ink::InkViewers& inkViewers() { return m_inkViewers; }
    ink::PenInbox& penInbox() { return m_penInbox; }
    ink::PenMessageBox& penMessageBox() { return m_penMessageBox; }
    WebParts& web() { return *m_web; }
    MyPcParts& mypc() { return *m_mypc; }
    MailParts& mail() { return *m_mail; }
    MsnParts& msn() { return *m_msn; }
    IcqParts& icq() { return *m_icq; }

private:
    struct ButtonEntry;
    static const ButtonEntry kButtons[];

    mypc::MyPcHooks myPcHooks();
    // The selected row of the mail list, if any.
    const mail::MailListEntry* selectedMail();
    void readSelectedMail();
    void deleteSelectedMail();
    // "P" (-1) and "N" (1).
    void turnPage(int step);
    void showMailScreen(bool content);

    // FrameServices.
    bool registerContactStore() override;
    void createHtmlViews() override;
    void releaseHtmlViews() override;
    void prepareMessengers(FrameRouter& router) override;
    void closeMessengers() override;
    void setCodePage(const std::string& codePage) override;
    void openStartPage(const std::string& page) override;
    void listStoredMail() override;
    void showWebPage(const std::string& url) override;
    void showAbout() override;
    void openPenMessageBox() override;
    void openLoginDialog() override;
    void openOptions() override;
    void signOnMessenger(int view, bool signOn) override;
    MessengerState messengerState(int view) const override;

    // link::PcLinkView.
    void setConnectedMenu(bool connected) override;
    void resetPcTree() override;
    void addDriveItems(const std::vector<std::string>& drives) override;
    void showLinkState(link::LinkState state) override;

    // settings::MessengerHost.
    void setMsnStatusLine(const std::string& text) override;
    void signOutMsn() override;
    void resetIcq(const std::string& number) override;
    void closeIcq() override;
    void rebuildMessengerTabs() override;

    platform::EventLoop& m_loop;
    platform::Registry& m_registry;
    HandheldViews m_views;
    device::DeviceRoot m_device;
    settings::SettingsStore m_store;
    settings::PdaSettings m_settings;
    std::unique_ptr<settings::DialUp> m_ownDialUp;
    settings::DialUp& m_dialUp;
    platform::HttpFetch m_fetch;
    // Before the link, which uses it for every connection to the PC.
    link::PcPairing m_pairing;
    link::PcFinder m_pcFinder;
    link::PcLink m_link;
    link::LoginDialog m_loginDialog;
    settings::OptionsSheet m_optionsSheet;
    device::ContactStore m_contacts;
    device::TitleBand m_titleBand;
    ink::InkViewers m_inkViewers;
    ink::PenReceptions m_penReceptions;
    ink::PenInbox m_penInbox;
    ink::PenMessageBox m_penMessageBox;
    PartContext m_context;

    // The mail list as the front end draws it; a mail shown also switches
    // the e-mail view to its content screen.
    class MailScreen final : public mail::MailView {
    public:
        explicit MailScreen(Handheld& handheld)
            : m_handheld(handheld)
        {
        }
        void clearList() override;
        void insertRow(const mail::MailListEntry& entry, bool read) override;
        void setRowRead(const std::string& name) override;
        void removeRow(const std::string& name) override;
        void showMail(const std::string& header, bool hasAttachments, const std::string& title) override;
        std::string selectedMail() const override;
        void setFetchProgress(int percent) override;

    private:
        Handheld& m_handheld;
    };
    MailScreen m_mailScreen;

    // The web tab as the front end draws it; the viewer's "show the web tab"
    // switches the My PC view to its web screen.
    class WebScreen final : public viewer::WebTabView {
    public:
        explicit WebScreen(Handheld& handheld)
            : m_handheld(handheld)
        {
        }
        void addAddress(const std::string& address) override;
        void setAddressText(const std::string& address) override;
        std::string addressText() const override;
        void focusAddress() override;
        void showWebTab() override;
        void setWaitCursor(bool waiting) override;

    private:
        Handheld& m_handheld;
    };
    WebScreen m_webScreen;

    // The search results as the front end draws them; showing them makes the
    // My PC view's results screen current.
    class SearchScreen final : public mypc::SearchView {
    public:
        explicit SearchScreen(Handheld& handheld)
            : m_handheld(handheld)
        {
        }
        void clearResults() override;
        void showResults(const std::vector<mypc::SearchRow>& rows) override;
        void showResultList() override;

    private:
        Handheld& m_handheld;
    };
    SearchScreen m_searchScreen;

    std::unique_ptr<WebParts> m_web;
    std::unique_ptr<MyPcParts> m_mypc;
    std::unique_ptr<MailParts> m_mail;
    std::unique_ptr<HandheldFrame> m_frame;
    std::unique_ptr<MsnParts> m_msn;
    std::unique_ptr<IcqParts> m_icq;
};

} // namespace pocket::app
