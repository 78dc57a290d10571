#include "apps/quillon-pocket/console_front_end.h"

#include "platform/codec/md5.h"
#include "pocket/ink/testing/temp_folder.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/msn/testing/scripted_peer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace apps::pocket {
namespace {

    using ::pocket::msn::testing::ScriptedPeer;

    // --msn-console: the console in its MSN mode, against a scripted server.
    TEST(MsnConsole, SignsOnListsContactsChangesStatusAndSignsOff)
    {
        const std::string digest = platform::codec::md5Hex("4711.42secret");
        ScriptedPeer peer({
            { { { "VER 0 MSNP5 MSNP4 CVRO\r\n", "VER 0 MSNP5\r\n" }, { "INF 1\r\n", "INF 1 MD5\r\n" },
                { "USR 2  MD5  I  me@example.com\r\n", "XFR 2 NS 127.0.0.1:1863 0 127.0.0.1:1863\r\n" } } },
            { { { "VER 3 MSNP5 MSNP4 CVRO\r\n", "VER 3 MSNP5\r\n" }, { "INF 4\r\n", "INF 4 MD5\r\n" },
                  { "USR 5  MD5  I  me@example.com\r\n", "USR 5 MD5 S 4711.42\r\n" },
                  { "USR 6 MD5 S " + digest + "\r\n", "USR 6 OK me@example.com My%20Name\r\n" },
                  { "CHG 7 NLN\r\n", "CHG 7 NLN\r\nMSG Hotmail Hotmail 0\r\n" },
                  { "LST 8 FL\r\n", "LST 8 FL 1 1 1 a@example.com Alice\r\n" },
                  { "CHG 9 BSY\r\n", "CHG 9 BSY\r\n" }, { "OUT\r\n", "" } },
                true },
        });
        ::pocket::ink::testing::TempFolder home;
        std::istringstream in("account me@example.com secret\n"
                              "login\n"
                              "status BSY\n"
                              "contacts\n"
                              "exit\n");
        std::ostringstream out, err;
        ConsoleOptions options { true, "127.0.0.1:" + std::to_string(peer.port()) };
        EXPECT_EQ(runConsole(home.path(), in, out, err, options), 0);
        EXPECT_TRUE(peer.waitDone()) << peer.failure();
        EXPECT_EQ(err.str(), "");
        const std::string text = out.str();
        EXPECT_NE(text.find("status\tmsn\tMy Name (온라인)\n"), std::string::npos) << text;
        EXPECT_NE(text.find("status\tmsn\tme@example.com (다른 용무 중)\n"), std::string::npos) << text;
        EXPECT_NE(text.find("contact\tmsn\ta@example.com\tFLN\tAlice\n"), std::string::npos) << text;
    }

    TEST(MsnConsole, RefusedSignOnSaysWhatWasTriedAndWhy)
    {
        ::pocket::ink::testing::TempFolder home;
        std::istringstream in("account me@example.com secret\n"
                              "login\n"
                              "exit\n");
        std::ostringstream out, err;
        const std::string server = "127.0.0.1:" + std::to_string(::pocket::link::testing::closedLoopbackPort());
        ConsoleOptions options { true, server };
        EXPECT_EQ(runConsole(home.path(), in, out, err, options), 0);
        EXPECT_EQ(err.str(), "");
        // The states as the window's status line shows them, then the
        // message with the cause on a line of its own.
        const std::string text = out.str();
        const auto connecting = text.find("status\tmsn\tConnecting MSN login svr..\n");
        const auto failed = text.find("[MSN] 서버에 접속할 수 없습니다.\n" + server + " — 연결이 거부되었습니다\n");
        EXPECT_NE(connecting, std::string::npos) << text;
        EXPECT_NE(failed, std::string::npos) << text;
        EXPECT_LT(connecting, failed);
    }

    TEST(MsnConsole, RefusesUnknownOptionsAndBadPorts)
    {
        std::istringstream in;
        std::ostringstream out, err;
        const std::string_view bad[] = { "--msn-console", "--msn-server", "x:70000" };
        EXPECT_EQ(runConsoleCommand(bad, in, out, err), 2);
        const std::string_view unknown[] = { "--msn-console", "--frobnicate" };
        EXPECT_EQ(runConsoleCommand(unknown, in, out, err), 2);
        EXPECT_NE(err.str().find("unknown option --frobnicate"), std::string::npos);
    }

} // namespace
} // namespace apps::pocket
