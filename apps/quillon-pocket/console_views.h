#pragma once

// File: apps/quillon-pocket/console_views.h
// The views of the handheld core as console lines, for quillon-pocket
// --console: the frame (nothing to draw), the log-in dialog, My PC (drives,
// folder lists, search results, transfer progress), the web tab and the
// e-mail tab. What the commands of a script choose (the selected mail row)
// is set here before the command runs. The messenger views live beside them
// (msn_console_views.h, icq_console_views.h). Window thread only.

#include "pocket/app/frame_view.h"
#include "pocket/app/handheld_views.h"
#include "pocket/device/title_band.h"
#include "pocket/ink/pen_message_box.h"
#include "pocket/link/login_dialog.h"
#include "pocket/link/pc_folder_request.h"
#include "pocket/mail/mail_view.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_tree.h"
#include "pocket/viewer/web_viewer.h"

#include <iosfwd>
#include <string>

namespace apps::pocket {

// An HTML view that prints what it is told to show.
class ConsoleHtmlView final : public ::pocket::viewer::HtmlView {
public:
    ConsoleHtmlView(std::ostream& out, std::string name);
    void navigate(const std::string& url) override;
    void refresh() override { }
    void stop() override { }
    std::string currentAddress() const override { return m_address; }
    int navigations = 0;

private:
    std::ostream& m_out;
    std::string m_name;
    std::string m_address;
};

// The frame window: the console has no window, only its end.
class ConsoleFrame final : public ::pocket::app::FrameView,
                           public ::pocket::device::TitleBandView,
                           public ::pocket::device::TaskBar {
public:
    void loadViewBitmaps() override { }
    void freeViewBitmaps() override { }
    bool createMenuBar(int, const std::vector<::pocket::app::Menu>&) override { return true; }
    void showMenuBar(int) override { }
    void sizeToScreen() override { }
    void createMainDialog(int) override { }
    void createTitleBand() override { }
    void layOut(int) override { }
    void drawViewButtons(int) override { }
    void setControlVisible(int, bool) override { }
    void bringToFront() override { }
    void destroyMainDialog() override { }
    void destroyFrame() override { ended = true; }

    void place(const ::pocket::device::Rect&) override { }
    void show() override { }
    void drawClock(const std::string&) override { }

    std::optional<::pocket::device::Rect> clientArea() override { return std::nullopt; }
    void hideForForeground() override { }
    void tap(int, int) override { }

    bool ended = false;
};

// The PC pages: the log-in dialog, My PC, the web tab and the e-mail tab.
class ConsolePcViews final : public ::pocket::link::LoginDialogView,
                             public ::pocket::mypc::MyPcTreeView,
                             public ::pocket::mypc::ProgressView,
                             public ::pocket::mypc::SearchView,
                             public ::pocket::link::FolderListView,
                             public ::pocket::viewer::WebTabView,
                             public ::pocket::mail::MailView,
                             public ::pocket::ink::PenMessageBoxView {
public:
    explicit ConsolePcViews(std::ostream& out);

    // LoginDialogView.
    void setFields(const std::string&, const std::string&, bool remember) override { m_remember = remember; }
    void focusId() override { }
    void focusPassword() override { }
    void close() override { }
    bool remember() const { return m_remember; }

    // MyPcTreeView: the PC's drives are printed as they arrive; folders are
    // printed as their lists arrive (showFolder).
    void setTree(const ::pocket::mypc::MyPcTree* tree) { m_tree = tree; }
    void treeReset() override;
    void itemChanged(const ::pocket::mypc::TreeItem&) override { }

    // ProgressView.
    void openProgress(const std::string& title) override { m_title = title; }
    void setTotalLine(const std::string&) override { }
    void setDoneLine(const std::string& text) override { m_done = text; }
    void setRateLine(const std::string& text) override { m_rate = text; }
    void setResumedLine(const std::string& text) override;
    void setBar(int) override { }
    void closeProgress() override;

    // SearchView.
    void clearResults() override { }
    void showResults(const std::vector<::pocket::mypc::SearchRow>& rows) override;
    void showResultList() override { }

    // FolderListView: the entries of a PC folder, one line each.
    void showFolder(const std::string& path, const std::vector<::pocket::link::FolderEntry>& entries) override;
    void restoreFolder(const std::string&) override { folderDone = true; }
    bool folderDone = false;

    // WebTabView.
    void addAddress(const std::string& address) override;
    void setAddressText(const std::string& address) override { m_addressText = address; }
    std::string addressText() const override { return m_addressText; }
    void focusAddress() override { }
    void showWebTab() override { }
    void setWaitCursor(bool) override { }

    // MailView.
    void clearList() override { }
    void insertRow(const ::pocket::mail::MailListEntry&, bool) override { }
    void setRowRead(const std::string&) override { }
    void removeRow(const std::string& name) override;
    void showMail(const std::string& header, bool hasAttachments, const std::string& title) override;
    std::string selectedMail() const override { return selectedMailName; }
    // The row the next mail command works on.
    std::string selectedMailName;
    int mailsShown = 0;

    // PenMessageBoxView: the box is listed by its own command.
    void setRows(::pocket::ink::Network, const std::vector<::pocket::ink::PenMessageRow>&) override { }
    void showNetwork(::pocket::ink::Network) override { }

private:
    std::ostream& m_out;
    const ::pocket::mypc::MyPcTree* m_tree = nullptr;
    bool m_remember = false;
    std::string m_title;
    std::string m_done;
    std::string m_rate;
    std::string m_addressText;
};

} // namespace apps::pocket
