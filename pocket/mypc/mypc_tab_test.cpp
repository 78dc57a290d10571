#include "pocket/mypc/mypc_tab.h"

#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_download.h"
#include "pocket/mypc/mypc_search.h"
#include "pocket/mypc/mypc_test_peer.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/mypc_upload.h"

#include <gtest/gtest.h>

namespace pocket::mypc {
namespace {

class QuietViews final : public ProgressView, public MyPcTreeView {
public:
    void openProgress(const std::string&) override { }
    void setTotalLine(const std::string&) override { }
    void setDoneLine(const std::string&) override { }
    void setBar(int) override { }
    void closeProgress() override { }
    void treeReset() override { }
    void itemChanged(const TreeItem&) override { }
};

class MyPcTabTest : public testing::MyPcFixture {
protected:
    MyPcTabTest()
    {
        m_tree.addDrives({ "C:" });
        m_tree.showFolder("C:", { { true, "docs" }, { false, "a.txt" } });
        writeDeviceFile("\\My Documents\\b.txt", "b");
        m_tree.expandHandheld(*m_tree.roots()[0]);
        m_tree.expandHandheld(*m_tree.find("PDA\\My Documents"));
    }

    MyPcHooks hooks()
    {
        MyPcHooks hooks;
        hooks.openLoginDialog = [this] { m_calls.push_back("login"); };
        hooks.openSearchDialog = [this](const std::string& scope) { m_calls.push_back("search " + scope); };
        hooks.viewPcFile = [this](const std::string& path) { m_calls.push_back("view pc " + path); };
        hooks.viewHandheldFile = [this](const std::string& path) { m_calls.push_back("view pda " + path); };
        hooks.attachToMail = [this](const std::string& path, bool isPc) {
            m_calls.push_back(std::string("attach ") + (isPc ? "pc " : "pda ") + path);
        };
        return hooks;
    }

    QuietViews m_views;
    MyPcTree m_tree { m_device, m_views };
    MyPcBusy m_busy { m_ui };
    TransferRunner m_runner { m_loop, m_ui, m_settings, m_device, m_views };
    link::PcFolderRequest m_folders { m_link, m_settings, m_device, m_fetch, m_ui, m_tree };
    MyPcDownload m_download { m_link, m_settings, m_ui, m_busy, m_runner };
    MyPcUpload m_upload { m_loop, m_ui, m_link, m_settings, m_device, m_busy, m_views };
    MyPcTab m_tab { m_link, m_tree, m_folders, m_download, m_upload, m_runner, m_ui, hooks() };
    std::vector<std::string> m_calls;
};

TEST_F(MyPcTabTest, WithoutConnectionPcCommandsAskForTheLogin)
{
    TreeItem& pcFile = *m_tree.find("C:\\a.txt");
    TreeItem& pdaFile = *m_tree.find("PDA\\My Documents\\b.txt");
    m_tab.onCommand(pcFile, TreeCommand::Download);
    m_tab.onCommand(pcFile, TreeCommand::View);
    m_tab.onCommand(pdaFile, TreeCommand::Upload);
    m_tab.onCommand(pdaFile, TreeCommand::View);
    m_tab.onCommand(pcFile, TreeCommand::MailAttach);
    m_tab.onCommand(*m_tree.find("C:\\docs"), TreeCommand::Search);
    m_tab.onResultCommand({ "x.txt", "C:\\docs\\x.txt", "3" }, TreeCommand::Download);
    EXPECT_EQ(m_calls, (std::vector<std::string> { "login", "login", "login", "view pda \\My Documents\\b.txt",
                           "attach pc C:\\a.txt", "search C:\\docs", "login" }));
    EXPECT_EQ(m_ui.callCount(), 0u);

    m_tab.onCommand(*m_tree.find("C:\\docs"), TreeCommand::Open);
    EXPECT_EQ(m_ui.lastText(), "서버와 연결이 안된 상태입니다.");
    EXPECT_EQ(m_tree.selectedPath(), "C:\\docs");
}

TEST_F(MyPcTabTest, ConnectedDownloadGoesToThePc)
{
    connect();
    m_ui.pushAnswer(platform::Answer::Ok);
    m_tab.onResultCommand({ "x.txt", "C:\\docs\\x.txt", "3" }, TreeCommand::Download);
    EXPECT_EQ(nextRequest(), "0 323 C:\\docs\\x.txt");
    EXPECT_TRUE(m_calls.empty());
}

TEST_F(MyPcTabTest, CancelAsksFirst)
{
    m_ui.pushAnswer(platform::Answer::Cancel);
    EXPECT_FALSE(m_tab.cancelPressed());
    m_ui.pushAnswer(platform::Answer::Ok);
    EXPECT_TRUE(m_tab.cancelPressed());
    EXPECT_EQ(m_ui.lastText(), "취소하시겠습니까?");
}

} // namespace
} // namespace pocket::mypc
