#include "pc/convert/hwp_page_imaging.h"
#include "pc/convert/testing/dde_fixture.h"
#include "platform/profile.h"

#include <fstream>

namespace pc::convert::testing {
namespace {

class HwpPageImagingTest : public DdeFixture {
protected:
    void SetUp() override
    {
        HwpDocumentInfo info;
        info.values[HwpDocumentInfo::kPageCountIndex] = 3;
        hwp.script["GetVersion"] = { true, statusData(0, 1) };
        hwp.script["OpenDocument"] = { true, statusData(0, 7) };
        hwp.script["GetDocumentInfo"] = { true, encodeHwpDocumentInfo(info) };
        hwp.script["CreatePageImage"] = { true, statusData(0, 0) };
        auto started = DdeServer::start("HWP/WIN", hwp);
        ASSERT_TRUE(started);
        server = std::move(*started);
        std::filesystem::create_directories(folder() / "docs");
        std::ofstream(folder() / "docs/report.hwp") << "document";
    }

    void setPages(int pages)
    {
        HwpDocumentInfo info;
        info.values[HwpDocumentInfo::kPageCountIndex] = pages;
        hwp.script["GetDocumentInfo"] = { true, encodeHwpDocumentInfo(info) };
    }

    // The commands after the two of the connect.
    std::vector<std::string> conversionCommands() const
    {
        auto all = hwp.commands();
        std::vector<std::string> rest;
        for (const auto& command : all) {
            if (command != "FXGetVersion" && command.rfind("FXSetServiceName", 0) != 0)
                rest.push_back(command);
        }
        return rest;
    }

    std::string pageMacro(int page, const std::string& name = "report") const
    {
        return "FXCreatePageImage(7,\"" + (root() / name).string() + "/" + name + std::to_string(page)
            + ".gif\"," + std::to_string(page) + ",90,100)";
    }

    std::filesystem::path root() const { return folder() / "Quillon"; }

    platform::Profile winIni { folder() / "win.ini" };
    ScriptedHwp hwp;
    std::unique_ptr<DdeServer> server;
    RecordingHwpLink link { winIni };
    HwpPageImaging imaging { link, root() };
};

TEST_F(HwpPageImagingTest, OpensTheDocumentAndAsksForEveryPage)
{
    EXPECT_TRUE(imaging.convertHwp(folder() / "docs/report.hwp", "report.hwp"));
    EXPECT_EQ(conversionCommands(),
        (std::vector<std::string> { "FXOpenDocument(\"한글 문서 뷰어\",\"" + (folder() / "docs").string()
                + "\\report.hwp\",,\"clientedit\",,,,0,)",
            "FXGetDocumentInfo(7,detail)", pageMacro(0), pageMacro(1), pageMacro(2) }));
    EXPECT_TRUE(std::filesystem::is_directory(root() / "report"));
    // Closed afterwards: no document stays open between requests.
    EXPECT_TRUE(hwp.waitDisconnects(1));
    EXPECT_FALSE(link.isConnected());
    EXPECT_EQ(link.documentId(), 0);
}

TEST_F(HwpPageImagingTest, OnePageAndAFailingPage)
{
    setPages(1);
    EXPECT_TRUE(imaging.convertHwp(folder() / "docs/report.hwp", "report.hwp"));
    EXPECT_EQ(conversionCommands().back(), pageMacro(0));
    EXPECT_EQ(conversionCommands().size(), 3u);

    // The page loop stops at the first refusal; the conversion still counts.
    setPages(3);
    hwp.script["CreatePageImage"] = { false, "" };
    EXPECT_TRUE(imaging.convertHwp(folder() / "docs/report.hwp", "report.hwp"));
    EXPECT_EQ(conversionCommands().back(), pageMacro(0));
    EXPECT_EQ(conversionCommands().size(), 6u);
}

TEST_F(HwpPageImagingTest, MissingDocumentSendsBareFxAndFails)
{
    hwp.script[""] = { false, "" };
    EXPECT_FALSE(imaging.convertHwp(folder() / "docs/absent.hwp", "absent.hwp"));
    EXPECT_EQ(conversionCommands(), (std::vector<std::string> { "FX" }));
    EXPECT_FALSE(link.isConnected());
}

TEST_F(HwpPageImagingTest, FailedDocumentInfoStillLeavesTheLinkFree)
{
    hwp.script["GetDocumentInfo"] = { true, statusData(1, 0) };
    EXPECT_FALSE(imaging.convertHwp(folder() / "docs/report.hwp", "report.hwp"));
    EXPECT_FALSE(link.isConnected());
    EXPECT_EQ(link.documentId(), 0);

    // The next conversion connects afresh and succeeds.
    setPages(2);
    EXPECT_TRUE(imaging.convertHwp(folder() / "docs/report.hwp", "report.hwp"));
    EXPECT_EQ(conversionCommands().back(), pageMacro(1));
}

TEST_F(HwpPageImagingTest, NamesThatCannotBeUsedSendNothing)
{
    std::ofstream(folder() / "docs/a\"b.hwp") << "document";
    EXPECT_FALSE(imaging.convertHwp(folder() / "docs/a\"b.hwp", "a\"b.hwp"))
        << "a quote would end the macro text";
    EXPECT_FALSE(imaging.convertHwp(folder() / "docs/report.hwp", ".hwp"));
    EXPECT_TRUE(hwp.commands().empty());
}

TEST(HwpOutputName, LosesFourCharactersWhateverTheExtension)
{
    EXPECT_EQ(hwpOutputName("report.hwp"), "report");
    EXPECT_EQ(hwpOutputName("report.hw"), "repor");
    EXPECT_EQ(hwpOutputName("..\\..\\x\\memo.hwp"), "memo");
    EXPECT_EQ(hwpOutputName("ab"), "");
    EXPECT_EQ(hwpOutputName("...hwp"), "");
}

} // namespace
} // namespace pc::convert::testing
