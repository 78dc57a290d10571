#pragma once

// File: pocket/mypc/mypc_tab.h
// The commands of the My PC tab: the tap-and-hold menus of the tree and of
// the search result list, routed to the folder request, the search dialog,
// the download, the upload and the hooks of the mail client and the viewer.
// Commands that need the PC check the command connection first: without it
// "보기", "PDA로 가져오기" and "PC로 보내기" open the log-in dialog instead.
// Also the progress dialog's "취소". Window thread only.

#include "pocket/mypc/mypc_tree.h"

#include <functional>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::link {
class PcFolderRequest;
class PcLink;
}

namespace pocket::mypc {

class MyPcDownload;
class MyPcUpload;
class TransferRunner;
struct SearchRow;

enum class TreeCommand {
    Open,       // "열기"
    Search,     // "검색"
    View,       // "보기"
    Download,   // "PDA로 가져오기"
    Upload,     // "PC로 보내기"
    MailAttach, // "메일 첨부전송"
    Properties, // "등록정보"
};

struct MenuEntry {
    const char* text;
    TreeCommand command;
};

const char* menuName(TreeMenu menu); // "PCD", "PCF", "PDAD", "PDAF"
std::vector<MenuEntry> menuEntries(TreeMenu menu);
// What a double tap or Enter on an item runs: its menu's first entry
// ("열기" on a folder, "보기" on a file).
TreeCommand defaultCommand(TreeMenu menu);

// What other parts of the handheld do for the tab.
struct MyPcHooks {
    std::function<void()> openLoginDialog;
    std::function<void(const std::string& scope)> openSearchDialog;
    std::function<void(const std::string& pcPath)> viewPcFile;
    std::function<void(const std::string& handheldPath)> viewHandheldFile;
    std::function<void(const std::string& path, bool isPcFile)> attachToMail;
    std::function<void(const std::string& path)> showProperties;
};

class MyPcTab {
public:
    MyPcTab(link::PcLink& link, MyPcTree& tree, link::PcFolderRequest& folders, MyPcDownload& download, MyPcUpload& upload,
        TransferRunner& runner, platform::Ui& ui, MyPcHooks hooks);

    // A menu entry chosen on a tree item.
    void onCommand(TreeItem& item, TreeCommand command);
    // A "PCF" menu entry chosen on a row of the result list.
    void onResultCommand(const SearchRow& row, TreeCommand command);
    // The progress dialog's "취소": asks, and on OK stops the download and
    // ends a running upload. True when cancelled.
    bool cancelPressed();

private:
    void onPcFile(const std::string& path, TreeCommand command);
    bool needsLogin();

    link::PcLink& m_link;
    MyPcTree& m_tree;
    link::PcFolderRequest& m_folders;
    MyPcDownload& m_download;
    MyPcUpload& m_upload;
    TransferRunner& m_runner;
    platform::Ui& m_ui;
    MyPcHooks m_hooks;
};

} // namespace pocket::mypc
