#pragma once

// File: pocket/app/testing/fake_handheld_views.h
// Every view of the handheld core as a recording fake, for tests that drive
// the one application core (pocket::app::Handheld) without a front end.
// Message boxes and questions go to a FakeUi; the messenger pages reuse the
// fakes of their own modules.

#include "platform/testing/fake_ui.h"
#include "pocket/app/frame_view.h"
#include "pocket/app/handheld_views.h"
#include "pocket/device/title_band.h"
#include "pocket/icq/icq_page.h"
#include "pocket/icq/testing/fake_views.h"
#include "pocket/ink/pen_message_box.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/mail/mail_view.h"
#include "pocket/msn/testing/fake_chat_hosts.h"
#include "pocket/msn/testing/fake_page_view.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"
#include "pocket/viewer/web_viewer.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pocket::app::testing {

class FakeFrame final : public FrameView, public device::TitleBandView, public device::TaskBar {
public:
    void loadViewBitmaps() override { }
    void freeViewBitmaps() override { }
    bool createMenuBar(int, const std::vector<Menu>&) override { return true; }
    void showMenuBar(int resource) override { menuBar = resource; }
    void sizeToScreen() override { }
    void createMainDialog(int) override { ++mainDialogs; }
    void createTitleBand() override { }
    void layOut(int) override { }
    void drawViewButtons(int view) override { currentView = view; }
    void setControlVisible(int id, bool visible) override { shown[id] = visible; }
    void bringToFront() override { }
    void destroyMainDialog() override { }
    void destroyFrame() override { ++destroyed; }

    void place(const device::Rect&) override { }
    void show() override { }
    void drawClock(const std::string& text) override { clock = text; }

    std::optional<device::Rect> clientArea() override { return std::nullopt; }
    void hideForForeground() override { }
    void tap(int, int) override { }

    int menuBar = 0;
    int mainDialogs = 0;
    int currentView = 0;
    int destroyed = 0;
    std::map<int, bool> shown;
    std::string clock;
};

struct FakeDialogs final : FrontEndDialogs {
    void showLoginDialog() override { ++logins; }
    void showOptions() override { ++options; }
    void showPenMessageBox() override { ++penBoxes; }
    void showComposer() override { ++composers; }
    void askSearchWord(const std::string& scope) override { searchScopes.push_back(scope); }
    void showIcqPenEditor(ink::InkComposer&) override { ++icqPenEditors; }

    int logins = 0;
    int options = 0;
    int penBoxes = 0;
    int composers = 0;
    int icqPenEditors = 0;
    std::vector<std::string> searchScopes;
};

// My PC, the web tab, the e-mail tab and the pen-message box.
struct FakePcViews final : mypc::MyPcTreeView,
                           mypc::ProgressView,
                           mypc::SearchView,
                           link::FolderListView,
                           viewer::WebTabView,
                           mail::MailView,
                           ink::PenMessageBoxView {
    void treeReset() override { ++treeResets; }
    void itemChanged(const mypc::TreeItem&) override { }

    void openProgress(const std::string& title) override { progressTitle = title; }
    void setTotalLine(const std::string&) override { }
    void setDoneLine(const std::string& text) override { progressDone = text; }
    void setBar(int percent) override { bar = percent; }
    void closeProgress() override { ++progressCloses; }

    void clearResults() override { results.clear(); }
    void showResults(const std::vector<mypc::SearchRow>& rows) override { results = rows; }
    void showResultList() override { }

    void showFolder(const std::string& path, const std::vector<link::FolderEntry>& entries) override
    {
        folders[path] = entries;
    }
    void restoreFolder(const std::string&) override { }

    void addAddress(const std::string& address) override { addresses.push_back(address); }
    void setAddressText(const std::string& text) override { address = text; }
    std::string addressText() const override { return address; }
    void focusAddress() override { }
    void showWebTab() override { ++webTabs; }
    void setWaitCursor(bool) override { }

    void clearList() override { mailRows.clear(); }
    void insertRow(const mail::MailListEntry& entry, bool) override { mailRows.insert(mailRows.begin(), entry.name); }
    void setRowRead(const std::string&) override { }
    void removeRow(const std::string& name) override { removedRows.push_back(name); }
    void showMail(const std::string&, bool, const std::string& title) override { shownMail = title; }
    std::string selectedMail() const override { return selectedMailName; }

    void setRows(ink::Network, const std::vector<ink::PenMessageRow>&) override { }
    void showNetwork(ink::Network) override { }
    void close() override { }


    int treeResets = 0;
    std::string progressTitle;
    std::string progressDone;
    int bar = 0;
    int progressCloses = 0;
    std::vector<mypc::SearchRow> results;
    std::map<std::string, std::vector<link::FolderEntry>> folders;
    std::vector<std::string> addresses;
    std::string address;
    int webTabs = 0;
    std::vector<std::string> mailRows;
    std::vector<std::string> removedRows;
    std::string shownMail;
    std::string selectedMailName;
};

struct FakeHtmlView final : viewer::HtmlView {
    void navigate(const std::string& url) override { visited.push_back(url); }
    void refresh() override { }
    void stop() override { }
    std::string currentAddress() const override { return visited.empty() ? std::string() : visited.back(); }
    std::vector<std::string> visited;
};

struct FakeIcqDialogs final : icq::IcqPageDialogs {
    std::optional<std::string> askContactNumber() override { return number; }
    std::optional<icq::BroadcastRequest> askBroadcast(const icq::ContactList&) override { return broadcast; }
    void showContactInfo(const icq::ContactInfo& shown) override { info = shown; }

    std::optional<std::string> number;
    std::optional<icq::BroadcastRequest> broadcast;
    std::optional<icq::ContactInfo> info;
};

struct FakeIcqEditors final : icq::PenEditorHost {
    std::unique_ptr<ink::InkComposerView> createComposerView() override { return std::make_unique<msn::testing::EditorView>(); }
};

// All of them, with the HandheldViews that name them.
struct FakeHandheldViews {
    FakeHandheldViews(platform::EventLoop& loop)
        : msnEditors(ui, loop)
    {
    }

    HandheldViews views()
    {
        return HandheldViews { ui, dialogs, frame, frame, frame, login, pc, inkViewers, pc, pc, pc, pc, pc, webView,
            mailBody, pc, msnPage, msnChats, msnEditors, icqPage, icqStatus, icqTree, icqWindows, icqEditors,
            icqDialogs };
    }

    struct IcqStatus final : icq::SessionStatusView {
        void setStatusText(std::string_view text) override { line = text; }
        std::string line;
    };

    platform::testing::FakeUi ui;
    FakeDialogs dialogs;
    FakeFrame frame;
    link::testing::FakeLoginView login;
    FakePcViews pc;
    ink::testing::FakeViewerHost inkViewers;
    FakeHtmlView webView;
    FakeHtmlView mailBody;
    msn::testing::FakePageView msnPage;
    msn::testing::FakeChatWindowHost msnChats;
    msn::testing::FakePenEditorHost msnEditors;
    icq::testing::FakePage icqPage;
    IcqStatus icqStatus;
    icq::testing::FakeTree icqTree;
    icq::testing::FakeWindowHost icqWindows;
    FakeIcqEditors icqEditors;
    FakeIcqDialogs icqDialogs;
};

} // namespace pocket::app::testing
