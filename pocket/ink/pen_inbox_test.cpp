#include "pocket/ink/pen_inbox.h"

#include "platform/testing/fake_ui.h"
#include "pocket/ink/ink_file.h"
#include "pocket/ink/testing/fake_viewer_host.h"
#include "pocket/ink/testing/sample_ink.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace pocket::ink {
namespace {

using namespace std::string_view_literals;
using platform::testing::FakeUi;
using testing::kSampleInk;

const LocalTime kArrival { 2004, 2, 3, 14, 5, 9 };

class PenInboxTest : public ::testing::Test {
protected:
    std::string contents(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path local(std::string_view handheld) { return hostPath(m_root.path(), handheld); }

    testing::TempFolder m_root;
    FakeUi m_ui;
    testing::FakeViewerHost m_host;
    InkViewers m_viewers { m_host, m_ui };
    PenReceptions m_receptions { m_root.path() };
    PenInbox m_inbox { m_root.path(), m_ui, m_viewers };
};

TEST_F(PenInboxTest, ChunksBecomeAFiledMessageInAViewer)
{
    const auto path = timedInkPath(receiveFolder(Network::Icq), "1234", kArrival);
    ASSERT_TRUE(m_receptions.begin(Network::Icq, "1234", path));
    // Chunked over ICQ: fixed-size chunks padded with zero bytes after "g".
    ASSERT_TRUE(m_receptions.append(Network::Icq, "1234", kSampleInk.substr(0, 5)));
    ASSERT_TRUE(m_receptions.append(Network::Icq, "1234", std::string(kSampleInk.substr(5)) + std::string(20, '\0')));
    auto finished = m_receptions.finish(Network::Icq, "1234");
    ASSERT_TRUE(finished);
    EXPECT_EQ(*finished, path);
    EXPECT_EQ(m_receptions.runningCount(), 0);

    ASSERT_TRUE(m_inbox.received(Network::Icq, "1234", *finished));
    EXPECT_EQ(contents(local(indexPath(Network::Icq))), path + "\n");
    ASSERT_EQ(m_host.windows.size(), 1u);
    const auto& window = *m_host.windows[0];
    EXPECT_EQ(window.title, "From : ICQ - 1234");
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.canvas.calls.back(), testing::lineCall({ 10, 30 }, { 100, 200 }, 3, Rgb {}));
    EXPECT_EQ(m_ui.callCount(), 0u);
}

TEST_F(PenInboxTest, ADamagedFileStaysWithoutIndexLine)
{
    struct Case {
        Network network;
        std::string_view sender;
        std::string_view bytes;
        std::vector<std::pair<std::string, std::string>> boxes; // {title, text} in order
    };
    const Case cases[] = {
        { Network::Msn, "a@b.c", kSampleInk.substr(0, 12),
            { { "Quillon", "Invalid end of Message File.." }, { "MSN", "Pen MSG data was damaged!(converting)" } } },
        { Network::Icq, "1234", kSampleInk.substr(0, 5), { { "Quillon", "Invalid end of Message File.." } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(networkName(c.network));
        m_ui.clear();
        const auto path = c.network == Network::Msn ? announcedInkPath(c.network, "x.ink")
                                                    : timedInkPath(receiveFolder(c.network), c.sender, kArrival);
        ASSERT_TRUE(m_receptions.begin(c.network, c.sender, path));
        ASSERT_TRUE(m_receptions.append(c.network, c.sender, c.bytes));
        auto finished = m_receptions.finish(c.network, c.sender);
        ASSERT_TRUE(finished);
        auto filed = m_inbox.received(c.network, c.sender, *finished);
        ASSERT_FALSE(filed);
        EXPECT_EQ(filed.error(), InboxError::Damaged);
        std::vector<std::pair<std::string, std::string>> boxes;
        for (const auto& call : m_ui.calls())
            boxes.emplace_back(call.title, call.text);
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_TRUE(std::filesystem::exists(local(path)));
        EXPECT_FALSE(std::filesystem::exists(local(indexPath(c.network))));
        EXPECT_EQ(m_viewers.openCount(), 0);
    }
}

// A file that reads but whose strokes are damaged: the drawer's message, and
// over MSN the network notice, after which the viewer closes again.
TEST_F(PenInboxTest, UndrawableStrokesCloseTheMsnViewerWithANotice)
{
    struct Case {
        Network network;
        std::string_view sender;
        std::vector<std::pair<std::string, std::string>> boxes;
        int viewersLeft;
    };
    const Case cases[] = {
        { Network::Msn, "a@b.c",
            { { "Quillon", "Line start data was damaged!!" },
                { "MSN", "네트웍 상의 오류로 펜메세지(From:a@b.c)를 받지 못했습니다." } },
            0 },
        { Network::Icq, "1234", { { "Quillon", "Line start data was damaged!!" } }, 1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(networkName(c.network));
        m_ui.clear();
        const auto path = announcedInkPath(c.network, "z.ink");
        std::filesystem::create_directories(local(receiveFolder(c.network)));
        std::ofstream(local(path), std::ios::binary) << "zg";
        auto filed = m_inbox.received(c.network, c.sender, path);
        // Without a notice the viewer stays, white.
        EXPECT_EQ(filed.hasValue(), c.viewersLeft == 1);
        if (!filed) {
            EXPECT_EQ(filed.error(), InboxError::Undrawable);
        }
        std::vector<std::pair<std::string, std::string>> boxes;
        for (const auto& call : m_ui.calls())
            boxes.emplace_back(call.title, call.text);
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(m_viewers.openCount(), c.viewersLeft);
        // The file read, so it is filed and the message box lists it.
        EXPECT_EQ(readIndexLines(local(indexPath(c.network))), std::vector<std::string> { path });
    }
}

TEST_F(PenInboxTest, TwentyReceptionsAtOnceAndASecondFromTheSameSenderReplaces)
{
    for (int i = 0; i < PenReceptions::kMaxReceptions; ++i) {
        const auto sender = std::to_string(i);
        ASSERT_TRUE(m_receptions.begin(Network::Icq, sender, timedInkPath(receiveFolder(Network::Icq), sender, kArrival)));
    }
    auto refused = m_receptions.begin(Network::Icq, "new", timedInkPath(receiveFolder(Network::Icq), "new", kArrival));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), ReceptionError::Full);

    const auto first = *m_receptions.pathOf(Network::Icq, "7");
    ASSERT_TRUE(m_receptions.append(Network::Icq, "7", "partial"));
    LocalTime later = kArrival;
    later.second = 30;
    const auto second = timedInkPath(receiveFolder(Network::Icq), "7", later);
    ASSERT_TRUE(m_receptions.begin(Network::Icq, "7", second));
    EXPECT_EQ(m_receptions.runningCount(), PenReceptions::kMaxReceptions);
    EXPECT_EQ(m_receptions.pathOf(Network::Icq, "7"), second);
    EXPECT_FALSE(std::filesystem::exists(local(first)));
    EXPECT_EQ(contents(local(second)), "");

    const std::string chunk(300, '\0');
    for (std::size_t sent = 0; sent + chunk.size() <= kMaxInkFileBytes; sent += chunk.size())
        ASSERT_TRUE(m_receptions.append(Network::Icq, "7", chunk));
    EXPECT_EQ(m_receptions.append(Network::Icq, "7", chunk).error(), ReceptionError::TooLarge);

    m_receptions.cancel(Network::Icq, "7");
    EXPECT_FALSE(std::filesystem::exists(local(second)));
    EXPECT_EQ(m_receptions.append(Network::Icq, "7", "x").error(), ReceptionError::Unknown);
}

TEST_F(PenInboxTest, AtMostTwentyOneViewers)
{
    const auto path = announcedInkPath(Network::Msn, "s.ink");
    std::filesystem::create_directories(local(receiveFolder(Network::Msn)));
    std::ofstream(local(path), std::ios::binary) << kSampleInk;
    for (int i = 0; i < InkViewers::kMaxViewers; ++i)
        ASSERT_TRUE(m_inbox.received(Network::Msn, "a@b.c", path));
    auto refused = m_inbox.received(Network::Msn, "a@b.c", path);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), InboxError::NoViewer);
    EXPECT_EQ(m_ui.lastText(), "더 시상 펜 메세지를 표현할 수 없습니다.");
    // Filed anyway, so the message box still lists it.
    EXPECT_EQ(readIndexLines(local(indexPath(Network::Msn))).size(), 22u);

    m_viewers.onOk(4);
    EXPECT_TRUE(m_host.windows[4]->closed);
    EXPECT_EQ(m_viewers.openCount(), InkViewers::kMaxViewers - 1);
    ASSERT_TRUE(m_inbox.received(Network::Msn, "a@b.c", path));
}

TEST_F(PenInboxTest, ViewerReportsDamageOnceAndStaysWhite)
{
    InkMessage damaged;
    damaged.append(InkToken::LineStart);
    damaged.append(InkToken::Black);
    auto slot = m_viewers.open("From : MSN - x", damaged);
    ASSERT_TRUE(slot);
    EXPECT_EQ(m_ui.lastText(), "Thickness data was damaged!");
    EXPECT_TRUE(m_viewers.viewer(*slot)->message().isEmpty());
    m_viewers.paint(*slot);
    EXPECT_EQ(m_ui.callCount(), 1u);
    EXPECT_EQ(m_host.windows[*slot]->canvas.calls.back(), testing::clearCall());
}

} // namespace
} // namespace pocket::ink
