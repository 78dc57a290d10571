#include "pocket/icq/icq_session.h"
#include "pocket/icq/contact_file.h"
#include "pocket/icq/testing/fake_link.h"

#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

namespace pocket::icq {
namespace {

using namespace std::string_literals;
using testing::FakeLink;
using testing::framesOf;

std::string tlv(std::uint16_t type, std::string value)
{
    return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + value;
}

struct StatusLog final : SessionStatusView {
    void setStatusText(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

struct Listener final : SessionListener {
    void onLoginStarting() override { ++logins; }
    std::vector<std::string> onSignedOn() override { return contacts; }
    void onSnac(const SnacHeader& header, std::string_view) override { snacs.push_back(header.family); }
    void onReset() override { ++resets; }
    int logins = 0;
    int resets = 0;
    std::vector<std::string> contacts;
    std::vector<std::uint16_t> snacs;
};

class IcqSessionTest : public ::testing::Test {
protected:
    IcqSessionTest()
        : session(SessionSetup { "login.icq.test", kIcqPort, folder.path(), [] { return std::uint16_t(0x4000); } },
            link, ui, status, loop)
    {
        session.setListener(&listener);
    }

    // Runs the sign-on up to the BOS server's hello.
    void signOnToBos()
    {
        session.connect("123456", "pw");
        link.queueFrame(kChannelSignOn, "\x00\x00\x00\x01"s);
        session.onReadable();
        link.queueFrame(kChannelSignOff, tlv(1, "123456") + tlv(5, "10.0.0.9:5191") + tlv(6, "COOKIE"));
        session.onReadable();
        link.queueFrame(kChannelSignOn, "\x00\x00\x00\x01"s);
        session.onReadable();
    }

    void handshake()
    {
        link.queueSnac(1, 0x03);
        link.queueSnac(1, 0x18);
        link.queueSnac(1, 0x07);
        link.queueSnac(1, 0x0F, "\x06" "123456" "\x00\x00\x00\x00"s, 0x0E);
        for (int i = 0; i < 4; ++i)
            session.onReadable();
    }

    std::vector<testing::SentFrame> sentFrames()
    {
        std::vector<testing::SentFrame> all;
        for (const auto& buffer : link.sent) {
            auto frames = framesOf(buffer);
            all.insert(all.end(), frames.begin(), frames.end());
        }
        return all;
    }

    pocket::ink::testing::TempFolder folder;
    platform::testing::ManualClock clock;
    platform::PollEventLoop loop { clock };
    platform::testing::FakeUi ui;
    FakeLink link;
    StatusLog status;
    Listener listener;
    IcqSession session;
};

TEST_F(IcqSessionTest, ConnectWithoutAccountAsksForIt)
{
    session.connect("", "pw");
    session.connect("123", "");
    ASSERT_EQ(ui.callCount(), 2u);
    EXPECT_EQ(ui.calls()[0].text, session_text::kEnterAccount);
    EXPECT_EQ(ui.calls()[0].title, "ICQ");
    EXPECT_TRUE(link.opened.empty());
}

TEST_F(IcqSessionTest, FirstFrameAfterHelloIsTheLoginOneAboveTheRandomStart)
{
    session.connect("123456", "pw");
    EXPECT_EQ(session.state(), SessionState::LoginServer);
    ASSERT_EQ(link.opened.size(), 1u);
    EXPECT_EQ(link.opened[0].host, "login.icq.test");
    EXPECT_EQ(link.opened[0].port, 5190);
    EXPECT_FALSE(link.opened[0].hostIsAddress);
    EXPECT_TRUE(std::filesystem::exists(session.contactFile()));

    link.queueFrame(kChannelSignOn, "\x00\x00\x00\x01"s);
    EXPECT_EQ(session.onReadable(), 0);
    const auto frames = sentFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].channel, kChannelSignOn);
    EXPECT_EQ(frames[0].sequence, 0x4001);
    EXPECT_EQ(frames[0].data.size(), 116u + 6 + 2);
    EXPECT_EQ(status.texts.back(), session_text::kUserIdentifying);
}

TEST_F(IcqSessionTest, RateLimitedSignOffShowsTheTextAndResetsWithoutReconnecting)
{
    session.connect("123456", "pw");
    link.queueFrame(kChannelSignOff, tlv(1, "123456") + tlv(8, "\x00\x18"s));
    session.onReadable();
    EXPECT_EQ(ui.lastText(), sign_on_text::kRateLimit);
    EXPECT_EQ(session.state(), SessionState::Idle);
    EXPECT_EQ(link.opened.size(), 1u);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(listener.resets, 1);
}

TEST_F(IcqSessionTest, SignOffWithoutCookieShowsInvalidData)
{
    session.connect("123456", "pw");
    link.queueFrame(kChannelSignOff, tlv(1, "123456") + tlv(5, "10.0.0.9:5191"));
    session.onReadable();
    EXPECT_EQ(ui.lastText(), sign_on_text::kInvalidData);
    EXPECT_EQ(session.state(), SessionState::Idle);
}

TEST_F(IcqSessionTest, RedirectOpensTheBosServerAndSendsTheCookieWithANewSequence)
{
    signOnToBos();
    ASSERT_EQ(link.opened.size(), 2u);
    EXPECT_EQ(link.opened[1].host, "10.0.0.9");
    EXPECT_EQ(link.opened[1].port, 5191);
    EXPECT_TRUE(link.opened[1].hostIsAddress);
    EXPECT_EQ(session.state(), SessionState::BosServer);
    const auto frames = sentFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].sequence, 0x4001); // The sequence starts again.
    EXPECT_EQ(frames[1].data, "\x00\x00\x00\x01"s + tlv(6, "COOKIE"));
}

TEST_F(IcqSessionTest, BosServerThatCannotBeReachedFails)
{
    session.connect("123456", "pw");
    link.openSucceeds = false;
    link.queueFrame(kChannelSignOff, tlv(1, "123456") + tlv(5, "10.0.0.9:5191") + tlv(6, "C"));
    link.failure = "10.0.0.9:5191 — 연결이 거부되었습니다";
    session.onReadable();
    // The text, and beside it what was tried and why it failed.
    EXPECT_EQ(ui.lastText(), std::string(session_text::kBosFailed) + "\n10.0.0.9:5191 — 연결이 거부되었습니다");
    EXPECT_EQ(session.state(), SessionState::Idle);
}

TEST_F(IcqSessionTest, LoginServerThatCannotBeReachedNamesTheCause)
{
    link.openSucceeds = false;
    link.failure = "login.icq.test:5190 — 서버 이름을 찾을 수 없습니다 (DNS)";
    session.connect("123456", "pw");
    EXPECT_EQ(status.texts.front(), session_text::kServerConnecting);
    EXPECT_EQ(ui.lastText(), "서버에 접속할 수 없습니다.\nlogin.icq.test:5190 — 서버 이름을 찾을 수 없습니다 (DNS)");
    EXPECT_EQ(ui.calls().back().title, "ICQ");
    EXPECT_EQ(session.state(), SessionState::Idle);
}

TEST_F(IcqSessionTest, SilentServerEndsTheSignOnWhenItsTimeRunsOut)
{
    link.peer = "10.0.0.9:5191";
    signOnToBos();
    ASSERT_EQ(session.state(), SessionState::BosServer);
    clock.advance(std::chrono::milliseconds(link::kSignOnTimeoutMs - 1));
    loop.processPending();
    EXPECT_EQ(session.state(), SessionState::BosServer);
    EXPECT_EQ(ui.callCount(), 0u);

    clock.advance(std::chrono::milliseconds(1));
    loop.processPending();
    EXPECT_EQ(session.state(), SessionState::Idle);
    EXPECT_EQ(ui.lastText(), "서버에 접속할 수 없습니다.\n10.0.0.9:5191 — 응답이 없습니다 (시간 초과)");
    EXPECT_GE(listener.resets, 1);
}

TEST_F(IcqSessionTest, SignedOnSessionOutlivesTheSignOnDeadline)
{
    signOnToBos();
    handshake();
    ASSERT_TRUE(session.isSignedOn());
    const auto boxes = ui.callCount();
    // The paced buddy requests run meanwhile; the deadline has stopped.
    for (int second = 0; second < 2 * static_cast<int>(link::kSignOnTimeoutMs / 1000); ++second) {
        clock.advance(std::chrono::seconds(1));
        loop.processPending();
    }
    EXPECT_TRUE(session.isSignedOn());
    EXPECT_EQ(ui.callCount(), boxes);
}

TEST_F(IcqSessionTest, HandshakeRunsToClientReadyAndPacesTheBuddyRequests)
{
    listener.contacts = { "1111", "2222" };
    signOnToBos();
    handshake();
    EXPECT_TRUE(session.isBosReady());
    EXPECT_EQ(session.ownStatus(), kStatusOnline);
    std::vector<std::pair<int, int>> snacs;
    for (const auto& frame : sentFrames()) {
        if (frame.channel == kChannelSnac)
            snacs.emplace_back(frame.snac.family, frame.snac.subtype);
    }
    const std::vector<std::pair<int, int>> expected { { 1, 0x17 }, { 1, 0x06 }, { 1, 0x08 }, { 1, 0x0E },
        { 2, 0x02 }, { 3, 0x02 }, { 4, 0x04 }, { 9, 0x02 }, { 2, 0x04 }, { 1, 0x1E }, { 1, 0x11 }, { 1, 0x02 },
        { 0x15, 0x02 } };
    EXPECT_EQ(snacs, expected);
    EXPECT_EQ(status.texts.back(), session_text::kRequestBuddyList);

    // One 03,04 per stored contact, one per second.
    const auto before = link.sent.size();
    clock.advance(std::chrono::milliseconds(1000));
    ASSERT_EQ(link.sent.size(), before + 1);
    EXPECT_EQ(framesOf(link.sent.back())[0].snacData, "\x04" "1111"s);
    clock.advance(std::chrono::milliseconds(1000));
    EXPECT_EQ(framesOf(link.sent.back())[0].snacData, "\x04" "2222"s);
    clock.advance(std::chrono::milliseconds(5000));
    EXPECT_EQ(link.sent.size(), before + 2);

    // Sequence numbers run on without gaps.
    const auto frames = sentFrames();
    for (std::size_t i = 2; i < frames.size(); ++i)
        EXPECT_EQ(frames[i].sequence, frames[i - 1].sequence + 1) << i;
}

TEST_F(IcqSessionTest, OwnInfoWithAnotherRequestIdDoesNotCompleteTheSignOn)
{
    signOnToBos();
    link.queueSnac(1, 0x0F, "\x01" "1" "\x00\x00\x00\x00"s, 0x99);
    const auto before = link.sent.size();
    session.onReadable();
    EXPECT_EQ(link.sent.size(), before);
}

TEST_F(IcqSessionTest, FamiliesOfTheMessengerGoToTheListener)
{
    signOnToBos();
    for (std::uint16_t family : { 2, 3, 4, 0x13, 0x15 })
        link.queueSnac(family, 1);
    link.queueFrame(kChannelSnac, "\x00\x03\x00"s); // Short header: dropped.
    for (int i = 0; i < 6; ++i)
        session.onReadable();
    EXPECT_EQ(listener.snacs, (std::vector<std::uint16_t> { 3, 4, 0x15 }));
}

TEST_F(IcqSessionTest, FailedSendAndEndedConnectionReset)
{
    signOnToBos();
    link.sendSucceeds = false;
    link.queueSnac(1, 0x03);
    session.onReadable();
    EXPECT_EQ(ui.lastText(), session_text::kDisconnected);
    EXPECT_EQ(session.state(), SessionState::Idle);
    EXPECT_FALSE(session.isBosReady());
    EXPECT_EQ(session.ownStatus(), kStatusOffline);

    // Sending with the link closed gives the same message.
    ui.clear();
    EXPECT_FALSE(session.sendFrame("x"));
    EXPECT_EQ(ui.lastText(), session_text::kDisconnected);

    // A read that finds the connection closed ends the reader.
    EXPECT_EQ(session.onReadable(), -1);
    session.onMessage(5026, 0, 0);
    EXPECT_EQ(ui.lastText(), session_text::kConnectionEnded);
    EXPECT_EQ(ui.calls().back().icon, platform::Icon::Information);
}

TEST(ParseUin, AcceptsOnlyWholeDecimalNumbers)
{
    EXPECT_EQ(parseUin("123456"), 123456u);
    EXPECT_EQ(parseUin("4294967295"), 4294967295u);
    EXPECT_FALSE(parseUin("4294967296"));
    EXPECT_FALSE(parseUin("12a"));
    EXPECT_FALSE(parseUin(""));
    EXPECT_FALSE(parseUin("-1"));
}

} // namespace
} // namespace pocket::icq
