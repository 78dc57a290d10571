// Two `quillon-pocket --console` handhelds against the scripted MSN and ICQ
// servers of the tests, each handheld in its own temporary home: they sign
// on, see each other come online, chat both ways and send a pen message,
// which arrives byte for byte as it was sent (after the padding with which
// each carriage fills its last chunk).

#include "platform/registry.h"
#include "pocket/icq/testing/scripted_oscar_server.h"
#include "pocket/ink/ink_file.h"
#include "pocket/msn/testing/scripted_msn_server.h"
#include "pocket/settings/pda_settings.h"
#include "tests/e2e/e2e_harness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
namespace ink = pocket::ink;
using Child = tests::e2e::ChildProgram;
using namespace std::chrono_literals;

class PocketMessengerE2e : public ::testing::Test {
protected:
    PocketMessengerE2e()
    {
        root = tests::e2e::makeTemporaryFolder("pocket-messenger-e2e");
        // A drawing of several strokes, long enough for several carriage chunks.
        ink::InkMessage message;
        for (int stroke = 0; stroke < 12; ++stroke) {
            message.append(ink::InkToken::LineStart);
            message.append(ink::InkToken::Thickness3);
            message.append(stroke % 2 ? ink::InkToken::Black : ink::InkToken::Red);
            for (int i = 0; i < 20; ++i)
                message.append(ink::InkPoint { 10 + i * 10, 10 + stroke * 18 });
            message.append(ink::InkToken::LineEnd);
        }
        drawing = root / "drawing.ink";
        EXPECT_TRUE(ink::writeInkFile(drawing, message));
    }
    ~PocketMessengerE2e() override { fs::remove_all(root); }

    // A handheld whose registry names the server before it starts.
    Child startPocket(const std::string& name, const std::string& serverValue, std::uint16_t port)
    {
        const auto home = root / name;
        fs::create_directories(home);
        auto registry = platform::Registry::open(home / "registry.txt");
        EXPECT_TRUE(registry);
        if (registry) {
            EXPECT_TRUE((*registry)->createKey(pocket::settings::kSettingsKey));
            EXPECT_TRUE(
                (*registry)->setString(pocket::settings::kSettingsKey, serverValue, "127.0.0.1:" + std::to_string(port)));
        }
        return tests::e2e::startPocketConsole(home);
    }

    // The file of the "pen-received" line from `from`.
    static fs::path receivedFile(const Child& pocket, const std::string& network, const std::string& from)
    {
        const std::string marker = "pen-received\t" + network + "\t" + from + "\t";
        const auto& text = pocket.output();
        const auto at = text.find(marker);
        if (at == std::string::npos)
            return {};
        const auto start = at + marker.size();
        return text.substr(start, text.find('\n', start) - start);
    }

    // ICQ pads the last chunk with zero bytes; MSN with "h", the first of
    // which the receiver writes as the ink file's end "g".
    static std::string withoutPadding(std::string bytes, std::string_view network)
    {
        const char padding = network == "msn" ? 'h' : '\0';
        while (!bytes.empty() && bytes.back() == padding)
            bytes.pop_back();
        if (network == "msn" && bytes.ends_with("gg"))
            bytes.pop_back();
        return bytes;
    }

    fs::path root;
    fs::path drawing;
};

TEST_F(PocketMessengerE2e, TwoHandheldsChatAndExchangeAPenMessageOverMsn)
{
    pocket::msn::testing::ScriptedMsnServer server(
        { { "ann@x.net", "pw", "Ann", { "bob@x.net" } }, { "bob@x.net", "pw", "Bob", { "ann@x.net" } } });
    Child ann = startPocket("ann", "MSN_SERVER", server.port());
    Child bob = startPocket("bob", "MSN_SERVER", server.port());
    ann.type("msn account ann@x.net pw\nmsn login\n");
    ASSERT_TRUE(ann.waitForOutput("status\tmsn\tAnn (온라인)\n")) << ann.output();
    bob.type("msn account bob@x.net pw\nmsn login\n");
    ASSERT_TRUE(bob.waitForOutput("status\tmsn\tBob (온라인)\n")) << bob.output();
    ASSERT_TRUE(ann.waitForOutput("contact\tmsn\tbob@x.net\tNLN\tBob\n")) << ann.output();

    ann.type("msn chat bob@x.net\n");
    ASSERT_TRUE(ann.waitForOutput("chat\t0\tbob@x.net\n")) << ann.output();
    ann.type("msn say 0 안녕, Bob\n");
    ASSERT_TRUE(bob.waitForOutput("msn-message\t0\tann@x.net\t안녕, Bob\n")) << bob.output();
    bob.type("msn say 0 hi\x1b[2J Ann\n");
    // What a peer sends reaches the terminal with its control bytes escaped.
    ASSERT_TRUE(ann.waitForOutput("msn-message\t0\tbob@x.net\thi\\x1B[2J Ann\n")) << ann.output();

    ann.type("msn pen 0 " + drawing.string() + "\n");
    ASSERT_TRUE(ann.waitForOutput("pen-sent\tmsn\tbob@x.net\t")) << ann.output();
    ASSERT_TRUE(bob.waitForOutput("pen-received\tmsn\tann@x.net\t")) << bob.output();
    const auto received = receivedFile(bob, "msn", "ann@x.net");
    EXPECT_EQ(withoutPadding(tests::e2e::readFile(received), "msn"), tests::e2e::readFile(drawing)) << received;

    ann.type("exit\n");
    bob.type("exit\n");
    EXPECT_EQ(ann.wait(), 0);
    EXPECT_EQ(bob.wait(), 0);
}

TEST_F(PocketMessengerE2e, TwoHandheldsChatAndExchangeAPenMessageOverIcq)
{
    pocket::icq::testing::ScriptedOscarServer server({ { "111111", "pw", "Ann" }, { "222222", "pw", "Bob" } });
    Child ann = startPocket("ann", "ICQ_SERVER", server.port());
    Child bob = startPocket("bob", "ICQ_SERVER", server.port());
    ann.type("icq account 111111 pw\nicq login\nicq add 222222\n");
    bob.type("icq account 222222 pw\nicq login\nicq add 111111\n");
    ASSERT_TRUE(ann.waitForOutput("contact\ticq\t222222\tonline\t")) << ann.output();
    ASSERT_TRUE(bob.waitForOutput("contact\ticq\t111111\tonline\t")) << bob.output();

    ann.type("icq send 222222 안녕, Bob\n");
    ASSERT_TRUE(bob.waitForOutput("icq-message\t111111\t안녕, Bob\n")) << bob.output();
    bob.type("icq send 111111 hi Ann\n");
    ASSERT_TRUE(ann.waitForOutput("icq-message\t222222\thi Ann\n")) << ann.output();

    ann.type("icq pen 222222 " + drawing.string() + "\n");
    ASSERT_TRUE(ann.waitForOutput("pen-sent\ticq\t222222\t", 40s)) << ann.output();
    ASSERT_TRUE(bob.waitForOutput("pen-received\ticq\t111111\t")) << bob.output();
    const auto received = receivedFile(bob, "icq", "111111");
    const std::string bytes = tests::e2e::readFile(received);
    EXPECT_GT(bytes.size(), tests::e2e::readFile(drawing).size()); // The carriage pads its last chunk.
    EXPECT_EQ(withoutPadding(bytes, "icq"), tests::e2e::readFile(drawing)) << received;

    ann.type("exit\n");
    bob.type("exit\n");
    EXPECT_EQ(ann.wait(), 0);
    EXPECT_EQ(bob.wait(), 0);
}

} // namespace
