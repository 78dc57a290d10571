#include "pocket/mypc/mypc_tree.h"

#include "pocket/device/device_root.h"
#include "pocket/mypc/mypc_paths.h"
#include "pocket/mypc/mypc_tab.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace pocket::mypc {
namespace {

class CountingTreeView final : public MyPcTreeView {
public:
    void treeReset() override { ++resets; }
    void itemChanged(const TreeItem& item) override { changed.push_back(MyPcTree::pathOf(item)); }
    int resets = 0;
    std::vector<std::string> changed;
};

class MyPcTreeTest : public ::testing::Test {
protected:
    MyPcTreeTest()
    {
        m_device.prepare();
        std::filesystem::create_directories(m_root / "My Documents" / "sub");
        std::ofstream(m_root / "My Documents" / "a.txt") << "a";
        std::ofstream(m_root / "My Documents" / "Tool.EXE") << "x";
        std::filesystem::create_directories(m_root / "empty");
    }
    ~MyPcTreeTest() override { std::filesystem::remove_all(m_root); }

    TreeItem* child(TreeItem& parent, const std::string& text)
    {
        for (auto& item : parent.children)
            if (item->text == text)
                return item.get();
        return nullptr;
    }

    std::filesystem::path m_root = std::filesystem::temp_directory_path() / ("mypc-tree-" + std::to_string(::getpid()));
    device::DeviceRoot m_device { m_root };
    CountingTreeView m_view;
    MyPcTree m_tree { m_device, m_view };
};

TEST_F(MyPcTreeTest, PdaRootAlwaysAndDrivesAfterLogin)
{
    ASSERT_EQ(m_tree.roots().size(), 1u);
    EXPECT_EQ(m_tree.roots()[0]->text, "PDA");
    m_tree.addDrives({ "C:", "D:" });
    ASSERT_EQ(m_tree.roots().size(), 3u);
    EXPECT_EQ(MyPcTree::menuOf(*m_tree.roots()[1]), TreeMenu::PcFolder);
    m_tree.reset();
    EXPECT_EQ(m_tree.roots().size(), 1u);
    EXPECT_EQ(m_view.resets, 3);
}

TEST_F(MyPcTreeTest, PcFolderListFillsTheItemOnce)
{
    m_tree.addDrives({ "C:" });
    std::vector<link::FolderEntry> entries { { true, "docs" }, { false, "report.txt" }, { false, "setup.exe" } };
    m_tree.showFolder("C:", entries);
    m_tree.showFolder("C:", entries); // Opened again: shown anew, not twice.
    TreeItem& drive = *m_tree.roots()[1];
    ASSERT_EQ(drive.children.size(), 3u);
    EXPECT_TRUE(drive.expanded);
    TreeItem* docs = child(drive, "docs");
    ASSERT_TRUE(docs);
    EXPECT_TRUE(docs->hasChildren);
    EXPECT_EQ(MyPcTree::menuOf(*docs), TreeMenu::PcFolder);
    TreeItem* report = child(drive, "report.txt");
    EXPECT_FALSE(report->hasChildren);
    EXPECT_EQ(report->image, TreeImage::File);
    EXPECT_EQ(child(drive, "setup.exe")->image, TreeImage::Executable);
    EXPECT_EQ(MyPcTree::pathOf(*report), "C:\\report.txt");
    EXPECT_EQ(m_tree.find("C:\\docs\\"), docs);

    m_tree.showFolder("C:\\docs", {});
    EXPECT_FALSE(docs->hasChildren);
    m_tree.restoreFolder("C:");
    EXPECT_FALSE(drive.expanded);
    // A list for a folder that is gone changes nothing.
    m_tree.showFolder("E:\\x", entries);
}

TEST_F(MyPcTreeTest, HandheldFoldersComeFromTheDevice)
{
    TreeItem& pda = *m_tree.roots()[0];
    ASSERT_TRUE(m_tree.expandHandheld(pda));
    TreeItem* documents = child(pda, "My Documents");
    ASSERT_TRUE(documents);
    ASSERT_TRUE(m_tree.expandHandheld(*documents));
    EXPECT_EQ(documents->children.size(), 3u);
    EXPECT_EQ(MyPcTree::menuOf(*child(*documents, "sub")), TreeMenu::PdaFolder);
    EXPECT_EQ(child(*documents, "Tool.EXE")->image, TreeImage::Executable);
    TreeItem* file = child(*documents, "a.txt");
    EXPECT_EQ(MyPcTree::menuOf(*file), TreeMenu::PdaFile);
    m_tree.select(*file);
    EXPECT_EQ(m_tree.selectedPath(), "PDA\\My Documents\\a.txt");
    EXPECT_EQ(handheldPathOf(m_tree.selectedPath()), "\\My Documents\\a.txt");

    TreeItem* empty = child(pda, "empty");
    ASSERT_TRUE(m_tree.expandHandheld(*empty));
    EXPECT_FALSE(empty->hasChildren);
    EXPECT_FALSE(m_tree.expandHandheld(*file));
}

TEST(MyPcPaths, PdaPathsOnly)
{
    EXPECT_EQ(handheldPathOf("PDA"), "");
    EXPECT_EQ(handheldPathOf("PDA\\x"), "\\x");
    EXPECT_FALSE(handheldPathOf("PDAX\\x"));
    EXPECT_FALSE(handheldPathOf("C:\\PDA"));
    EXPECT_EQ(lastComponent("PDA\\My Documents\\a.txt"), "a.txt");
}

TEST(MyPcMenus, EntriesPerMenu)
{
    EXPECT_STREQ(menuName(TreeMenu::PdaFile), "PDAF");
    auto pcFile = menuEntries(TreeMenu::PcFile);
    ASSERT_EQ(pcFile.size(), 4u);
    EXPECT_STREQ(pcFile[1].text, "PDA로 가져오기");
    EXPECT_EQ(pcFile[1].command, TreeCommand::Download);
    EXPECT_EQ(menuEntries(TreeMenu::PdaFile)[1].command, TreeCommand::Upload);
    EXPECT_EQ(menuEntries(TreeMenu::PcFolder).size(), 2u);
}

} // namespace
} // namespace pocket::mypc
