#include "pc/convert/dde_conversation.h"
#include "pc/convert/dde_names.h"
#include "pc/convert/dde_server.h"
#include "pc/convert/dde_wire.h"
#include "pc/convert/testing/dde_fixture.h"

#include <fstream>

namespace pc::convert::testing {
namespace {

TEST(DdeWire, FramesSurviveEverySplit)
{
    std::vector<DdeFrame> frames {
        { DdeFrameType::Connect, 1, 0, false, "HWP/WIN", "" },
        { DdeFrameType::Execute, 2, 0, false, "", std::string("FXGetVersion\0", 13) },
        { DdeFrameType::Request, 3, kDdeTextFormat, false, "ReturnValue", "" },
        { DdeFrameType::Reply, 3, 0, true, "", std::string(56, '\x7F') },
        { DdeFrameType::Disconnect, 0, 0, false, "", "" },
    };
    std::string wire;
    for (const auto& frame : frames)
        wire += encodeDdeFrame(frame);
    for (std::size_t step : { wire.size(), std::size_t(1), std::size_t(7) }) {
        SCOPED_TRACE(step);
        DdeFrameSplitter splitter;
        std::vector<DdeFrame> read;
        for (std::size_t at = 0; at < wire.size(); at += step) {
            splitter.feed(std::string_view(wire).substr(at, step));
            while (true) {
                auto next = splitter.next();
                ASSERT_TRUE(next);
                if (!*next)
                    break;
                read.push_back(**next);
            }
        }
        EXPECT_EQ(read, frames);
    }
}

TEST(DdeWire, RefusesOversizedAndMalformedFrames)
{
    std::string good = encodeDdeFrame({ DdeFrameType::Poke, 9, 1, false, "item", "data" });
    auto withByte = [&](std::size_t at, char value) {
        std::string bytes = good;
        bytes[at] = value;
        return bytes;
    };
    struct Case {
        const char* name;
        std::string wire;
        DdeWireError error;
    } cases[] = {
        { "length over the limit", std::string("\x01\x00\x10\x00", 4), DdeWireError::TooLarge },
        { "unknown type", withByte(4, 9), DdeWireError::Malformed },
        { "flag not 0 or 1", withByte(13, 2), DdeWireError::Malformed },
        { "name longer than the frame", withByte(14, 100), DdeWireError::Malformed },
        { "frame shorter than its fields", std::string("\x02\x00\x00\x00\x01\x00", 6),
            DdeWireError::Malformed },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DdeFrameSplitter splitter;
        splitter.feed(c.wire);
        auto next = splitter.next();
        ASSERT_FALSE(next);
        EXPECT_EQ(next.error(), c.error);
    }
}

TEST(DdeNames, EscapesServiceNamesIntoOneFileName)
{
    EXPECT_EQ(ddeSocketName("HWP/WIN"), "HWP%2FWIN.dde");
    EXPECT_EQ(ddeSocketName("../x y"), "%2E%2E%2Fx%20y.dde");
    EXPECT_EQ(ddeSocketName("HwpDdeClient0000abcd"), "HwpDdeClient0000abcd.dde");
}

// Answers every transaction from fixed tables and records what came.
class EchoHandler final : public DdeServerHandler {
public:
    bool acceptTopic(std::string_view topic) override { return topic == "topic"; }
    bool execute(const DdeConversationInfo&, std::string_view command) override
    {
        executed.emplace_back(command);
        return command != "refuse";
    }
    std::optional<std::string> request(
        const DdeConversationInfo&, std::string_view item, std::uint32_t format) override
    {
        if (item == "missing")
            return std::nullopt;
        return std::string(item) + "#" + std::to_string(format);
    }
    bool poke(
        const DdeConversationInfo&, std::string_view item, std::uint32_t, std::string_view data) override
    {
        poked.push_back(std::string(item) + "=" + std::string(data));
        return true;
    }
    std::vector<std::string> executed;
    std::vector<std::string> poked;
};

class RecordingConversation final : public DdeConversation {
public:
    std::vector<std::string> reports;
    std::vector<std::string> completions;

protected:
    void report(std::string_view message, bool) override { reports.emplace_back(message); }
    void completed(int requestId, bool acknowledged, const std::string& data) override
    {
        completions.push_back(std::to_string(requestId) + (acknowledged ? " ok " : " no ") + data);
    }
};

class DdeConversationTest : public DdeFixture {
protected:
    void SetUp() override
    {
        auto started = DdeServer::start("service", handler);
        ASSERT_TRUE(started);
        server = std::move(*started);
    }

    EchoHandler handler;
    std::unique_ptr<DdeServer> server;
    RecordingConversation conversation;
};

TEST_F(DdeConversationTest, TransactionsReachTheServer)
{
    ASSERT_TRUE(conversation.connect("service", "topic"));
    EXPECT_TRUE(conversation.execute("FXGetVersion"));
    std::string data;
    EXPECT_TRUE(conversation.request("ReturnValue", kDdeTextFormat, data));
    EXPECT_EQ(data, "ReturnValue#1");
    EXPECT_TRUE(conversation.poke("item", "value", kDdeTextFormat));
    conversation.disconnect();
    EXPECT_EQ(handler.executed, (std::vector<std::string> { "FXGetVersion" }));
    EXPECT_EQ(handler.poked, (std::vector<std::string> { "item=value" }));
    EXPECT_TRUE(conversation.reports.empty());
}

TEST_F(DdeConversationTest, FailuresReportTheirTransaction)
{
    ASSERT_TRUE(conversation.connect("service", "topic"));
    std::string data = "kept";
    EXPECT_FALSE(conversation.execute("refuse"));
    EXPECT_FALSE(conversation.request("missing", kDdeTextFormat, data));
    EXPECT_EQ(data, "kept");
    EXPECT_EQ(
        conversation.reports, (std::vector<std::string> { "XTYP_EXECUTE failure", "XTYP_REQUEST failure" }));

    // A second connect fails and leaves the conversation as it was.
    EXPECT_FALSE(conversation.connect("service", "topic"));
    EXPECT_TRUE(conversation.execute("still here"));

    // Without a conversation every transaction fails silently.
    conversation.disconnect();
    conversation.reports.clear();
    EXPECT_FALSE(conversation.execute("x"));
    EXPECT_FALSE(conversation.poke("item", "x", kDdeTextFormat));
    EXPECT_TRUE(conversation.reports.empty());
}

TEST_F(DdeConversationTest, AsynchronousTransactionsCompleteByRequestId)
{
    ASSERT_TRUE(conversation.connect("service", "topic"));
    EXPECT_TRUE(conversation.executeAsync("first", 5));
    EXPECT_FALSE(conversation.executeAsync("second", 5)) << "request id 5 is still pending";
    EXPECT_TRUE(conversation.requestAsync("item", 6, kDdeTextFormat));
    EXPECT_TRUE(conversation.executeAsync("refuse", 7));
    conversation.abandon(7);
    // A synchronous transaction completes the replies it reads on the way.
    EXPECT_TRUE(conversation.execute("sync"));
    conversation.pumpReplies(std::chrono::seconds(5));
    EXPECT_EQ(conversation.completions, (std::vector<std::string> { "5 ok ", "6 ok item#1" }));
    EXPECT_FALSE(conversation.isPending(5));
    EXPECT_TRUE(conversation.executeAsync("again", 5));
}

TEST_F(DdeConversationTest, UnknownTopicOrServiceIsNotConnected)
{
    EXPECT_FALSE(conversation.connect("service", "other topic"));
    EXPECT_FALSE(conversation.connect("nobody", "topic"));
    EXPECT_EQ(conversation.reports,
        (std::vector<std::string> { "Cannot connect to DDE server", "Cannot connect to DDE server" }));
    EXPECT_FALSE(conversation.isConnected());
}

TEST_F(DdeConversationTest, ServerGoingAwayEndsTheConversation)
{
    ASSERT_TRUE(conversation.connect("service", "topic"));
    server.reset();
    EXPECT_FALSE(conversation.execute("x"));
    EXPECT_FALSE(conversation.isConnected());
}

TEST_F(DdeConversationTest, ServiceNameBelongsToOneLiveServer)
{
    EchoHandler other;
    auto second = DdeServer::start("service", other);
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().code, platform::ErrorCode::Unavailable);

    // The socket a crashed server left behind does not block a new one.
    server.reset();
    auto socketFile = *ddeServiceFolder() / ddeSocketName("service");
    std::ofstream(socketFile) << "";
    auto third = DdeServer::start("service", other);
    ASSERT_TRUE(third);
    EXPECT_TRUE(conversation.connect("service", "topic"));
}

TEST_F(DdeConversationTest, ServerProgramThatCannotStartOrNeverRegisters)
{
    RecordingConversation missing;
    missing.setServerCommand({ (folder() / "no-such-program").string(), "/n", "/o" });
    EXPECT_FALSE(missing.connect("absent", "topic"));
    EXPECT_EQ(missing.reports,
        (std::vector<std::string> {
            "Cannot execute server: " + (folder() / "no-such-program").string() + " /n /o" }));

    RecordingConversation silent;
    silent.setServerCommand({ "true" });
    silent.setServerStartWait(std::chrono::milliseconds(200));
    EXPECT_FALSE(silent.connect("absent", "topic"));
    EXPECT_EQ(silent.reports, (std::vector<std::string> { "Cannot connect to DDE server" }));
}

} // namespace
} // namespace pc::convert::testing
