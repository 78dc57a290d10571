#include "pocket/ink/pen_message_box.h"

#include "platform/testing/fake_ui.h"
#include "pocket/ink/ink_file.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/sample_ink.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace pocket::ink {
namespace {

using namespace std::string_view_literals;
using platform::Answer;
using platform::testing::FakeUi;
using testing::kSampleInk;

struct FakeBoxView final : PenMessageBoxView {
    void setRows(Network network, const std::vector<PenMessageRow>& rows) override { shownRows[network] = rows; }
    void showNetwork(Network network) override { shown = network; }
    void close() override { closed = true; }

    std::map<Network, std::vector<PenMessageRow>> shownRows;
    std::optional<Network> shown;
    bool closed = false;
};

class PenMessageBoxTest : public ::testing::Test {
protected:
    std::filesystem::path local(std::string_view handheld) { return hostPath(m_root.path(), handheld); }

    std::string file(Network network, std::string_view name, std::string_view bytes = kSampleInk)
    {
        const auto path = receiveFolder(network) + "\\" + std::string(name);
        std::filesystem::create_directories(local(receiveFolder(network)));
        std::ofstream(local(path), std::ios::binary) << bytes;
        EXPECT_TRUE(appendIndexLine(local(indexPath(network)), path));
        return path;
    }
    std::string index(Network network)
    {
        std::ifstream in(local(indexPath(network)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testing::TempFolder m_root;
    FakeUi m_ui;
    testing::FakeViewerHost m_host;
    InkViewers m_viewers { m_host, m_ui };
    FakeBoxView m_view;
    PenMessageBox m_box { m_root.path(), m_view, m_ui, m_viewers };
};

TEST_F(PenMessageBoxTest, RowsComeFromTheFileNameOfEachIndexLine)
{
    struct Case {
        std::string_view line;
        PenMessageRow row;
    };
    const Case cases[] = {
        { "\\P\\MSN\\MSNInk_Recv\\bob@x.com 2004.2.3 14시5분9초.ink",
            { "2004.2.3 14시5분9초", "bob@x.com", "\\P\\MSN\\MSNInk_Recv\\bob@x.com 2004.2.3 14시5분9초.ink" } },
        { "noblank.ink", { "", "noblank.ink", "noblank.ink" } },
        { "\\a\\b c", { "c", "b", "\\a\\b c" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(rowFromIndexLine(c.line), c.row);
    }
}

TEST_F(PenMessageBoxTest, ListsNewestFirstAndOpensOnMsn)
{
    file(Network::Icq, "111 2004.1.1 1시1분1초.ink");
    file(Network::Icq, "222 2004.1.2 1시1분1초.ink");
    m_box.open();
    EXPECT_EQ(m_view.shown, Network::Msn);
    ASSERT_EQ(m_box.rows(Network::Icq).size(), 2u);
    EXPECT_EQ(m_box.rows(Network::Icq)[0].sender, "222");
    EXPECT_EQ(m_box.rows(Network::Icq)[1].sender, "111");
    EXPECT_TRUE(m_box.rows(Network::Msn).empty());
    EXPECT_EQ(m_view.shownRows[Network::Icq].size(), 2u);
}

TEST_F(PenMessageBoxTest, ViewOpensTheFileInAViewerTitledWithTheSender)
{
    file(Network::Msn, "bob@x.com 2004.1.1 1시1분1초.ink");
    file(Network::Msn, "eve@x.com 2004.1.2 1시1분1초.ink", kSampleInk.substr(0, 5));
    m_box.open();
    m_box.view(Network::Msn, 1);
    ASSERT_EQ(m_host.windows.size(), 1u);
    EXPECT_EQ(m_host.windows[0]->title, "From : MSN - bob@x.com");

    m_box.view(Network::Msn, 0);
    EXPECT_EQ(m_ui.lastText(), "Invalid end of Message File..");
    EXPECT_EQ(m_host.windows.size(), 1u);
}

TEST_F(PenMessageBoxTest, DeleteRewritesTheIndexOldestFirst)
{
    const auto a = file(Network::Icq, "1 a.ink");
    const auto b = file(Network::Icq, "2 b.ink");
    const auto c = file(Network::Icq, "3 c.ink");
    m_box.open();

    m_ui.pushAnswer(Answer::Cancel);
    m_box.remove(Network::Icq, 1);
    EXPECT_EQ(m_box.rows(Network::Icq).size(), 3u);
    EXPECT_EQ(m_ui.calls().back().title, "ICQ");
    EXPECT_EQ(m_ui.lastText(), "선택하신 메세지를 삭제하시겠습니까?");

    m_ui.pushAnswer(Answer::Ok);
    m_box.remove(Network::Icq, 1); // Newest first: row 1 is "2 b.ink".
    EXPECT_EQ(index(Network::Icq), a + "\n" + c + "\n");
    EXPECT_TRUE(std::filesystem::exists(local(b)));
    EXPECT_EQ(m_view.shownRows[Network::Icq].size(), 2u);
}

TEST_F(PenMessageBoxTest, DeletingTheOnlyRowEmptiesTheIndex)
{
    file(Network::Msn, "bob 1.ink");
    m_box.open();
    m_ui.pushAnswer(Answer::Ok);
    m_box.remove(Network::Msn, 0);
    EXPECT_TRUE(m_box.rows(Network::Msn).empty());
    EXPECT_TRUE(std::filesystem::exists(local(indexPath(Network::Msn))));
    EXPECT_EQ(index(Network::Msn), "");

    m_box.quit();
    EXPECT_TRUE(m_view.closed);
}

// Index lines are in the handheld's ANSI code page: with CP949 the Korean
// time units are two bytes each on disk and UTF-8 in the rows.
TEST_F(PenMessageBoxTest, IndexLinesFollowTheCodePage)
{
    const auto path = timedInkPath(receiveFolder(Network::Icq), "77", LocalTime { 2004, 2, 3, 14, 5, 9 });
    std::filesystem::create_directories(local(receiveFolder(Network::Icq)));
    std::ofstream(local(path), std::ios::binary) << kSampleInk;
    PenInbox inbox(m_root.path(), m_ui, m_viewers);
    inbox.setCodePage("CP949");
    ASSERT_TRUE(inbox.received(Network::Icq, "77", path));
    const std::string onDisk = "\\Program Files\\Quillon\\ICQ\\ICQInk_Recv\\77 2004.2.3 14\xBD\xC3"
                               "5\xBA\xD0" "9\xC3\xCA.ink\n";
    EXPECT_EQ(index(Network::Icq), onDisk);

    m_box.setCodePage("CP949");
    m_box.open();
    ASSERT_EQ(m_box.rows(Network::Icq).size(), 1u);
    EXPECT_EQ(m_box.rows(Network::Icq)[0], (PenMessageRow { "2004.2.3 14시5분9초", "77", path }));
    m_box.view(Network::Icq, 0);
    EXPECT_EQ(m_viewers.openCount(), 2);

    file(Network::Icq, "78 x.ink");
    m_box.open();
    m_ui.pushAnswer(Answer::Ok);
    m_box.remove(Network::Icq, 0); // The newest, "78 x.ink".
    EXPECT_EQ(index(Network::Icq), onDisk);
}

} // namespace
} // namespace pocket::ink
