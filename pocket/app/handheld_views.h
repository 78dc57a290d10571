#pragma once

// File: pocket/app/handheld_views.h
// What a front end gives the handheld core: the views the core's parts
// report to (HandheldViews) and the dialogs the core asks it to open
// (FrontEndDialogs). The Qt window implements them with widgets, the
// console with printed lines, tests with recording fakes. The front end
// owns every view; they must outlive the Handheld built over them.

#include <string>

namespace platform {
class Ui;
}

namespace pocket::app {
class FrameView;
}

namespace pocket::device {
class TaskBar;
class TitleBandView;
}

namespace pocket::icq {
class ContactTreeView;
class IcqPageDialogs;
class IcqPageView;
class MessageWindowHost;
class PenEditorHost;
class SessionStatusView;
}

namespace pocket::ink {
class InkComposer;
class InkViewerHost;
class PenMessageBoxView;
}

namespace pocket::link {
class FolderListView;
class LoginDialogView;
}

namespace pocket::mail {
class MailView;
}

namespace pocket::msn {
class ChatWindowHost;
class MsnPageView;
class PenEditorHost;
}

namespace pocket::mypc {
class MyPcTreeView;
class ProgressView;
class SearchView;
}

namespace pocket::viewer {
class HtmlView;
class WebTabView;
}

namespace pocket::app {

// The dialogs and windows that only a front end can open. The core has
// already done its part (filled the login fields, loaded the pen-message
// lists) when it asks.
class FrontEndDialogs {
public:
    virtual ~FrontEndDialogs() = default;
    virtual void showLoginDialog() = 0;
    // The options sheet ("환경설정"); the sheet's logic is the core's OptionsSheet.
    virtual void showOptions() = 0;
    virtual void showPenMessageBox() = 0;
    // The mail composer ("메일 쓰기"); the core's MailComposer holds the mail.
    virtual void showComposer() = 0;
    // "검색" on a PC folder: the search dialog over `scope`; the word goes to
    // MyPcSearch::start.
    virtual void askSearchWord(const std::string& scope) = 0;
    // The ICQ pen editor was opened by the carriage: show its window over
    // this composer.
    virtual void showIcqPenEditor(ink::InkComposer& composer) = 0;
};

struct HandheldViews {
    platform::Ui& ui;
    FrontEndDialogs& dialogs;
    // The frame window with its menu bars, title band and main dialog.
    FrameView& frame;
    device::TitleBandView& titleBand;
    device::TaskBar& taskBar;
    link::LoginDialogView& login;
    // Pen messages: the received-message box and the viewer windows.
    ink::PenMessageBoxView& penMessageBox;
    ink::InkViewerHost& inkViewers;
    // My PC: the tree, the transfer progress, the search results, and PC
    // folder lists as they arrive (the tree hears of them too).
    mypc::MyPcTreeView& myPcTree;
    mypc::ProgressView& progress;
    mypc::SearchView& searchResults;
    link::FolderListView& folderLists;
    // The web tab and the two HTML views (web page, mail body).
    viewer::WebTabView& webTab;
    viewer::HtmlView& webView;
    viewer::HtmlView& mailBody;
    // The e-mail tab.
    mail::MailView& mail;
    // MSN: the page (tree, status line, dialogs), chat windows, pen editor.
    msn::MsnPageView& msnPage;
    msn::ChatWindowHost& msnChats;
    msn::PenEditorHost& msnPenEditors;
    // ICQ: the page's status line, the sign-on steps, the tree, the message
    // windows, the pen editor's window and the page's dialogs.
    icq::IcqPageView& icqPage;
    icq::SessionStatusView& icqStatus;
    icq::ContactTreeView& icqTree;
    icq::MessageWindowHost& icqWindows;
    icq::PenEditorHost& icqPenEditors;
    icq::IcqPageDialogs& icqDialogs;
};

} // namespace pocket::app
