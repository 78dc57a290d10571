#include "pocket/icq/icq_link.h"
#include "pocket/icq/icq_session.h"
#include "pocket/icq/testing/fake_link.h"
#include "pocket/icq/testing/scripted_server.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;
using testing::expectStep;
using testing::ScriptedServer;
using testing::sendStep;

constexpr std::chrono::seconds kDeadline { 10 };

std::string frame(std::uint8_t channel, std::string data)
{
    FlapWriter writer(channel, 7);
    writer.raw(data);
    return writer.finish();
}

std::string snac(std::uint16_t family, std::uint16_t subtype, std::string data = {}, std::uint32_t requestId = 0)
{
    return frame(kChannelSnac,
        bigEndian16(family) + bigEndian16(subtype) + std::string(2, '\0') + bigEndian32(requestId) + data);
}

std::string tlv(std::uint16_t type, std::string value)
{
    return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
}

struct StatusLog final : SessionStatusView {
    void setStatusText(std::string_view text) override { last = text; }
    std::string last;
};

struct Listener final : SessionListener {
    void onLoginStarting() override { }
    std::vector<std::string> onSignedOn() override { return {}; }
    void onSnac(const SnacHeader& header, std::string_view data) override
    {
        snacs.push_back(std::to_string(header.subtype) + ":" + std::string(data));
    }
    void onReset() override { ++resets; }
    std::vector<std::string> snacs;
    int resets = 0;
};

class IcqLinkTest : public ::testing::Test {
protected:
    platform::SystemClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    pocket::ink::testing::TempFolder folder;
    link::SocketClient client { loop, ui, [](std::chrono::milliseconds) { } };
    StatusLog status;
    Listener listener;
    platform::MessageTarget wake;
    std::function<void()> wakeLoop = [this] { loop.post(&wake, 1); };

    // A session on the socket link, wired as the handheld wires it: its
    // window passes the socket's messages to the session.
    struct WiredSession {
        WiredSession(IcqLinkTest& test, std::uint16_t port, std::uint16_t sequence)
            : link(test.client, window)
            , session(SessionSetup { "127.0.0.1", port, test.folder.path(), [sequence] { return sequence; } }, link,
                  test.ui, test.status, test.loop)
        {
            window.session = &session;
            session.setListener(&test.listener);
        }

        struct Window final : platform::MessageTarget {
            IcqSession* session = nullptr;
            platform::LResult onMessage(int msg, platform::WParam w, platform::LParam l) override
            {
                return session->onMessage(msg, w, l);
            }
        } window;
        SocketIcqLink link;
        IcqSession session;
    };
};

TEST_F(IcqLinkTest, SignsOnThroughLoginAndSessionServersOnLoopback)
{
    const std::string hello = frame(kChannelSignOn, "\x00\x00\x00\x01"s);
    ScriptedServer bos({ sendStep(hello), expectStep(), sendStep(snac(1, 0x03)), expectStep(),
        // Two SNACs in one segment: read as two frames on two readiness messages.
        sendStep(snac(1, 0x18) + snac(1, 0x07)), expectStep(), expectStep(), expectStep(), expectStep(),
        expectStep(), expectStep(), expectStep(), sendStep(snac(1, 0x0F, "\x01" "5" "\x00\x00\x00\x00"s, 0x0E)),
        expectStep(), expectStep(), expectStep(), expectStep(), expectStep() },
        wakeLoop);
    ScriptedServer login({ sendStep(hello), expectStep(),
        sendStep(frame(kChannelSignOff,
            tlv(1, "123456") + tlv(5, "127.0.0.1:" + std::to_string(bos.port())) + tlv(6, "BOSCOOKIE"))) },
        wakeLoop);

    WiredSession wired(*this, login.port(), 9);
    IcqSession& session = wired.session;

    session.connect("123456", "secret");
    ASSERT_TRUE(loop.runUntil([&] { return bos.done() && status.last == session_text::kRequestBuddyList; }, kDeadline));
    ASSERT_FALSE(login.failed());
    ASSERT_FALSE(bos.failed());
    // The script's end closes the connection, which may already have been noticed.
    for (const auto& call : ui.calls())
        EXPECT_EQ(call.text, session_text::kConnectionEnded);

    const auto atLogin = login.received();
    ASSERT_EQ(atLogin.size(), 1u);
    EXPECT_EQ(atLogin[0].sequence, 10);
    EXPECT_EQ(atLogin[0].data.size(), 116u + 6 + 6);
    const auto atBos = bos.received();
    ASSERT_EQ(atBos.size(), 14u);
    EXPECT_EQ(atBos[0].data, "\x00\x00\x00\x01"s + tlv(6, "BOSCOOKIE"));
    // 01,17, 01,06, 01,08, the five requests, then 02,04, 01,1E, 01,11, 01,02, 15,02.
    const std::vector<std::uint16_t> subtypes { 0x17, 0x06, 0x08, 0x0E, 0x02, 0x02, 0x04, 0x02, 0x04, 0x1E, 0x11,
        0x02, 0x02 };
    for (std::size_t i = 0; i < subtypes.size(); ++i) {
        ByteReader reader(atBos[i + 1].data);
        EXPECT_EQ(readSnacHeader(reader)->subtype, subtypes[i]) << i;
    }
}

TEST_F(IcqLinkTest, FrameSplitOverSegmentsIsKeptAndTheEndOfTheConnectionResets)
{
    const std::string message = snac(4, 0x07, "DATA");
    ScriptedServer server({ sendStep(frame(kChannelSignOn, "\x00\x00\x00\x01"s)), expectStep(),
        sendStep(message.substr(0, 3)), sendStep(message.substr(3, 9)), sendStep(message.substr(12)) },
        wakeLoop);
    WiredSession wired(*this, server.port(), 1);
    IcqSession& session = wired.session;
    session.connect("123456", "pw");
    ASSERT_TRUE(loop.runUntil([&] { return listener.resets > 0; }, kDeadline));
    EXPECT_EQ(listener.snacs, (std::vector<std::string> { "7:DATA" }));
    EXPECT_EQ(ui.lastText(), session_text::kConnectionEnded);
}

} // namespace
} // namespace pocket::icq
