#include "pc/convert/hwp_page_imaging.h"
#include "pc/convert/testing/dde_fixture.h"
#include "pc/convert/testing/office_fixture.h"
#include "platform/profile.h"
#include "tools/hwp-bridge/hwp_bridge.h"

#include <unistd.h>

namespace tools::hwp_bridge {
namespace {

using pc::convert::DdeConversationInfo;

class HwpBridgeCommands : public pc::convert::testing::DdeFixture {
protected:
    HwpBridgeCommands()
        : bridge(pc::convert::LibreOfficeConfig {},
            std::move(*platform::TempFolder::create("bridge-test")), [this] { ++quits; })
    {
    }

    std::string returnValue()
    {
        return *bridge.request(conversation, "ReturnValue", pc::convert::kDdeTextFormat);
    }

    HwpBridge bridge;
    DdeConversationInfo conversation { 1, "HWP/WIN" };
    int quits = 0;
};

TEST_F(HwpBridgeCommands, AnswersWhatItCanWithoutADocument)
{
    EXPECT_TRUE(bridge.acceptTopic("HWP/WIN"));
    EXPECT_FALSE(bridge.acceptTopic("other"));
    EXPECT_TRUE(bridge.execute(conversation, "FXGetVersion"));
    EXPECT_EQ(returnValue(), returnValueData(0, kBridgeVersion));

    struct Case {
        const char* command;
    } refused[] = {
        { "FX" },
        { "FXNoSuchMacro()" },
        { "FXOpenDocument(\"v\",\"/no/such/file.hwp\",,\"clientedit\",,,,0,)" },
        { "FXGetDocumentInfo(3,detail)" },
        { "FXCreatePageImage(3,\"/tmp/x0.gif\",0,90,100)" },
        { "FXSetServiceName(unquoted)" },
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.command);
        EXPECT_TRUE(bridge.execute(conversation, "FXGetVersion"));
        EXPECT_FALSE(bridge.execute(conversation, c.command));
        EXPECT_EQ(returnValue(), returnValueData(1, 0));
    }
    EXPECT_FALSE(bridge.request(conversation, "Other", pc::convert::kDdeTextFormat));
    EXPECT_TRUE(bridge.execute(conversation, "FXQuit"));
    EXPECT_EQ(quits, 1);
}

TEST(BridgePaths, BackslashesSeparateFolders)
{
    EXPECT_EQ(localPathOf("/home/u/docs\\report.hwp"), "/home/u/docs/report.hwp");
    EXPECT_EQ(localPathOf("/srv/Quillon/memo/\\memo0.gif"), "/srv/Quillon/memo/memo0.gif");
}

// The word processor is not running: the PC starts the bridge from the
// folder the initialization file names, and the pages come back as GIFs.
class HwpBridgeProgram : public pc::convert::testing::DdeFixture {
protected:
    void SetUp() override
    {
        if (!pc::convert::programExists("soffice") || !pc::convert::programExists("pdftoppm"))
            GTEST_SKIP() << "LibreOffice or poppler-utils is not installed";
        std::filesystem::create_directories(folder() / "hnc");
        std::filesystem::create_symlink(HWP_BRIDGE_PATH, folder() / "hnc" / pc::convert::kHwpProgramName);
        ASSERT_TRUE(winIni.writeString("HNC Path", "HNC", (folder() / "hnc").string() + "\\"));
    }

    void TearDown() override
    {
        // The bridge outlives the conversion, as the word processor does;
        // the test ends it.
        pc::convert::DdeConversation quit;
        if (quit.connect(pc::convert::kHwpService, pc::convert::kHwpService))
            (void)quit.execute("FXQuit");
    }

    platform::Profile winIni { folder() / "win.ini" };
};

TEST_F(HwpBridgeProgram, StartsTheBridgeAndRendersEveryPage)
{
    pc::convert::testing::RecordingHwpLink link(winIni);
    // LibreOffice's first start with a new profile and the conversion can
    // each take longer than the PC's 20 s on a busy machine; the test is
    // about what comes back, not how soon.
    link.setServerStartWait(std::chrono::minutes(2));
    link.setTimeout(std::chrono::minutes(2));
    pc::convert::HwpPageImaging imaging(link, folder() / "Quillon");
    std::filesystem::create_directories(folder() / "docs");
    std::ofstream(folder() / "docs" / "memo.hwp")
        << pc::convert::testing::rtfPages({ "First page", "Second page", "Third page" });

    EXPECT_TRUE(imaging.convertHwp(folder() / "docs" / "memo.hwp", "memo.hwp"));
    for (int page = 0; page < 3; ++page) {
        std::ifstream in(
            folder() / "Quillon" / "memo" / ("memo" + std::to_string(page) + ".gif"), std::ios::binary);
        std::string head(6, '\0');
        in.read(head.data(), 6);
        EXPECT_EQ(head, "GIF89a") << page;
    }
    EXPECT_TRUE(link.textCallbacks());
    auto callbacks = link.notifications();
    ASSERT_EQ(callbacks.size(), 3u);
    EXPECT_EQ(callbacks[2][0], kCallbackPageImage);
    EXPECT_EQ(callbacks[2][2], 2u);
    EXPECT_TRUE(link.reports.empty()) << link.reports.front();
}

} // namespace
} // namespace tools::hwp_bridge
