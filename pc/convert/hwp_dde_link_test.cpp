#include "pc/convert/hwp_dde_link.h"
#include "pc/convert/testing/dde_fixture.h"
#include "platform/profile.h"

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::convert::testing {
namespace {

class HwpDdeLinkTest : public DdeFixture {
protected:
    void startHwp()
    {
        auto started = DdeServer::start("HWP/WIN", hwp);
        ASSERT_TRUE(started);
        server = std::move(*started);
    }

    // A folder holding an executable named like the word processor.
    std::filesystem::path programFolder(const std::string& name)
    {
        std::filesystem::path dir = folder() / name;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / kHwpProgramName) << "#!/bin/sh\n";
        ::chmod((dir / kHwpProgramName).c_str(), 0755);
        return dir;
    }

    std::string serviceName() const
    {
        char name[32];
        std::snprintf(name, sizeof name, "HwpDdeClient%08x", static_cast<unsigned>(::getpid()));
        return name;
    }

    platform::Profile winIni { folder() / "win.ini" };
    ScriptedHwp hwp;
    std::unique_ptr<DdeServer> server;
};

TEST_F(HwpDdeLinkTest, ConnectsAndNamesItsServiceForTextCallbacks)
{
    hwp.script["GetVersion"] = { true, statusData(0, 0x100) };
    // HWP calls back while it handles SetServiceName.
    hwp.onCommand = [&](const std::string& command) {
        if (command.rfind("FXSetServiceName", 0) != 0)
            return;
        DdeConversation back;
        ASSERT_TRUE(back.connect(serviceName(), serviceName()));
        EXPECT_TRUE(back.poke("Notify", "00000001/0000002a/00000000/00000000/ffffffff", kDdeTextFormat));
    };
    startHwp();
    RecordingHwpLink link(winIni);
    ASSERT_TRUE(link.connectHwp(true));
    EXPECT_TRUE(link.isServiceRegistered());
    EXPECT_TRUE(link.textCallbacks());
    EXPECT_EQ(link.clientService(), serviceName());
    EXPECT_EQ(hwp.commands(),
        (std::vector<std::string> {
            "FXGetVersion", "FXSetServiceName(\"" + serviceName() + "\",\"" + serviceName() + "\",text)" }));
    EXPECT_EQ(
        link.notifications(), (std::vector<std::array<std::uint32_t, 5>> { { 1, 42, 0, 0, 0xFFFFFFFF } }));
}

TEST_F(HwpDdeLinkTest, BinaryCallbacksWhenVersionIsZeroAndNoneWithoutCallbacks)
{
    hwp.script["GetVersion"] = { true, statusData(0, 0) };
    startHwp();
    RecordingHwpLink link(winIni);
    ASSERT_TRUE(link.connectHwp(true));
    EXPECT_FALSE(link.textCallbacks());
    EXPECT_EQ(hwp.commands().back(), "FXSetServiceName(\"" + serviceName() + "\",\"" + serviceName() + "\")");
    link.disconnect();

    RecordingHwpLink plain(winIni);
    ASSERT_TRUE(plain.connectHwp(false));
    EXPECT_EQ(hwp.commands().size(), 2u) << "a link without callbacks sends nothing";
}

TEST_F(HwpDdeLinkTest, RefusedServiceNameFailsTheConnect)
{
    hwp.script["SetServiceName"] = { false, "" };
    startHwp();
    RecordingHwpLink link(winIni);
    EXPECT_FALSE(link.connectHwp(true));
    EXPECT_EQ(link.reports, (std::vector<std::string> { "XTYP_EXECUTE failure" }));
}

TEST_F(HwpDdeLinkTest, NotInstalledReportsTheBareProgramName)
{
    RecordingHwpLink link(winIni);
    EXPECT_FALSE(link.connectHwp(true));
    EXPECT_EQ(link.reports, (std::vector<std::string> { "Cannot execute server: hwp-bridge /n /o" }));
    EXPECT_FALSE(link.isConnected());
}

TEST_F(HwpDdeLinkTest, ProgramFolderComesFromTheInitializationFile)
{
    EXPECT_FALSE(findHwpFolder(winIni));
    EXPECT_FALSE(isHwpInstalled(winIni));

    auto empty = folder() / "empty";
    std::filesystem::create_directories(empty);
    auto second = programFolder("second");
    ASSERT_TRUE(winIni.writeString("HNC Path", "HNC", empty.string() + "\\"));
    ASSERT_TRUE(winIni.writeString("HNC", "HNC", second.string() + "/"));
    EXPECT_TRUE(isHwpInstalled(winIni));
    EXPECT_EQ(findHwpFolder(winIni), second) << "the first value names no folder with the program";

    auto first = programFolder("first");
    ASSERT_TRUE(winIni.writeString("HNC Path", "HNC", first.string() + "\\"));
    EXPECT_EQ(findHwpFolder(winIni), first);
}

TEST(HwpCallback, ReadsBothForms)
{
    std::array<std::uint32_t, 5> values { 1, 0xABCDEF01, 0, 7, 0xFFFFFFFF };
    for (bool text : { true, false }) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseHwpCallback(formatHwpCallback(values, text), text), values);
    }
    EXPECT_EQ(formatHwpCallback(values, true), "00000001/abcdef01/00000000/00000007/ffffffff");
    EXPECT_FALSE(parseHwpCallback("00000001/2/3/4", true));
    EXPECT_FALSE(parseHwpCallback("1/2/3/4/5 and more", true));
    EXPECT_FALSE(parseHwpCallback(std::string(19, '\0'), false));
}

} // namespace
} // namespace pc::convert::testing
