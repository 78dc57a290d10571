#include "pocket/mypc/mypc_tab.h"

#include "platform/ui.h"
#include "pocket/link/pc_link.h"
#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_download.h"
#include "pocket/mypc/mypc_paths.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_upload.h"

namespace pocket::mypc {

namespace {

constexpr const char* kCancelQuestion = "취소하시겠습니까?";

} // namespace

const char* menuName(TreeMenu menu)
{
    switch (menu) {
    case TreeMenu::PcFolder:
        return "PCD";
    case TreeMenu::PcFile:
        return "PCF";
    case TreeMenu::PdaFolder:
        return "PDAD";
    case TreeMenu::PdaFile:
        return "PDAF";
    }
    return "";
}

std::vector<MenuEntry> menuEntries(TreeMenu menu)
{
    switch (menu) {
    case TreeMenu::PcFolder:
        return { { "열기", TreeCommand::Open }, { "검색", TreeCommand::Search } };
    case TreeMenu::PcFile:
        return { { "보기", TreeCommand::View }, { "PDA로 가져오기", TreeCommand::Download },
            { "메일 첨부전송", TreeCommand::MailAttach }, { "등록정보", TreeCommand::Properties } };
    case TreeMenu::PdaFolder:
        return { { "열기", TreeCommand::Open } };
    case TreeMenu::PdaFile:
        return { { "보기", TreeCommand::View }, { "PC로 보내기", TreeCommand::Upload },
            { "메일 첨부전송", TreeCommand::MailAttach }, { "등록정보", TreeCommand::Properties } };
    }
    return {};
}

TreeCommand defaultCommand(TreeMenu menu)
{
    return menuEntries(menu).front().command;
}

MyPcTab::MyPcTab(link::PcLink& link, MyPcTree& tree, link::PcFolderRequest& folders, MyPcDownload& download,
    MyPcUpload& upload, TransferRunner& runner, platform::Ui& ui, MyPcHooks hooks)
    : m_link(link)
    , m_tree(tree)
    , m_folders(folders)
    , m_download(download)
    , m_upload(upload)
    , m_runner(runner)
    , m_ui(ui)
    , m_hooks(std::move(hooks))
{
}

bool MyPcTab::needsLogin()
{
    if (m_link.isConnected())
        return false;
    if (m_hooks.openLoginDialog)
        m_hooks.openLoginDialog();
    return true;
}

void MyPcTab::onCommand(TreeItem& item, TreeCommand command)
{
    m_tree.select(item);
    std::string path = m_tree.selectedPath();
    if (item.isPc && !item.isFolder) {
        onPcFile(path, command);
        return;
    }
    if (item.isPc) {
        if (command == TreeCommand::Open)
            (void)m_folders.open(path);
        else if (command == TreeCommand::Search && m_hooks.openSearchDialog)
            m_hooks.openSearchDialog(path);
        return;
    }
    auto handheldPath = handheldPathOf(path).value_or("");
    switch (command) {
    case TreeCommand::Open:
        (void)m_tree.expandHandheld(item);
        break;
    case TreeCommand::View:
        if (m_hooks.viewHandheldFile)
            m_hooks.viewHandheldFile(handheldPath);
        break;
    case TreeCommand::Upload:
        if (!needsLogin())
            (void)m_upload.start(path);
        break;
    case TreeCommand::MailAttach:
        if (m_hooks.attachToMail)
            m_hooks.attachToMail(handheldPath, false);
        break;
    case TreeCommand::Properties:
        if (m_hooks.showProperties)
            m_hooks.showProperties(path);
        break;
    default:
        break;
    }
}

void MyPcTab::onResultCommand(const SearchRow& row, TreeCommand command)
{
    // The path list holds each found file's full path.
    onPcFile(row.folder, command);
}

void MyPcTab::onPcFile(const std::string& path, TreeCommand command)
{
    switch (command) {
    case TreeCommand::View:
        if (!needsLogin() && m_hooks.viewPcFile)
            m_hooks.viewPcFile(path);
        break;
    case TreeCommand::Download:
        if (!needsLogin())
            (void)m_download.request(path);
        break;
    case TreeCommand::MailAttach:
        if (m_hooks.attachToMail)
            m_hooks.attachToMail(path, true);
        break;
    case TreeCommand::Properties:
        if (m_hooks.showProperties)
            m_hooks.showProperties(path);
        break;
    default:
        break;
    }
}

bool MyPcTab::cancelPressed()
{
    if (m_ui.question(kMyPcTitle, kCancelQuestion, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return false;
    m_runner.cancel();
    if (m_upload.isRunning())
        m_upload.end();
    return true;
}

} // namespace pocket::mypc
