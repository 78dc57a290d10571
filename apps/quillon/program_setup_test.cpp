#include "apps/quillon/program_setup.h"

#include "platform/files.h"
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace apps::quillon {
namespace {

namespace fs = std::filesystem;

TEST(InstalledHwpBridge, IsNamedInWinIniOnceAndNeverOverAUsersChoice)
{
    fs::path top = fs::temp_directory_path() / ("quillon-setup-" + std::to_string(::getpid()));
    fs::remove_all(top);
    fs::path home = top / "home";
    fs::create_directories(home);
    fs::path program = top / "usr" / "bin" / "quillon";
    fs::path bridge = top / "usr" / "lib" / "quillon" / "hwp-bridge";

    // No bridge beside the program (a build tree): nothing is written.
    EXPECT_FALSE(noteInstalledHwpBridge(home, program));
    EXPECT_FALSE(platform::Profile(home / "win.ini").hasKey("HNC Path", "HNC"));

    fs::create_directories(bridge.parent_path());
    ASSERT_TRUE(platform::writeFileAtomically(bridge, "#!/bin/sh\n", 0755));
    EXPECT_TRUE(noteInstalledHwpBridge(home, program));
    EXPECT_EQ(platform::Profile(home / "win.ini").getString("HNC Path", "HNC", ""), bridge.parent_path().string());

    // A folder the user named stays.
    ASSERT_TRUE(platform::Profile(home / "win.ini").writeString("HNC Path", "HNC", "/opt/hwp"));
    EXPECT_FALSE(noteInstalledHwpBridge(home, program));
    EXPECT_EQ(platform::Profile(home / "win.ini").getString("HNC Path", "HNC", ""), "/opt/hwp");
    fs::remove_all(top);
}

} // namespace
} // namespace apps::quillon
