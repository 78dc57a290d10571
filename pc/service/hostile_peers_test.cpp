// Peers that never log in, guess passwords, or share the logged-in
// handheld's address must not hold, exhaust or steer the service.

#include "pc/service/testing/service_fixture.h"
#include "platform/tcp_listener.h"

#include <cerrno>

using namespace std::chrono_literals;

namespace pc::service::testing {
namespace {

class HostilePeersTest : public ServiceFixture {
protected:
    void SetUp() override { service->start(); }
    void TearDown() override { platform::TcpListener::failNextAccepts(0, 0); }

    // Opens `count` connections from `from` and lets the service take them.
    std::vector<std::unique_ptr<ScriptedHandheld>> crowd(int count, const std::string& from)
    {
        std::vector<std::unique_ptr<ScriptedHandheld>> peers;
        for (int i = 0; i < count; ++i) {
            peers.push_back(ScriptedHandheld::connect(service->commandPort(), from));
            EXPECT_TRUE(peers.back());
        }
        loop.runUntil([] { return false; }, 200ms);
        return peers;
    }
};

TEST_F(HostilePeersTest, StrangerFromTheLoggedInAddressRunsNothingAndClosesOnlyItself)
{
    auto handheld = loggedInHandheld("127.0.0.1");
    auto stranger = connectHandheld("127.0.0.1");

    // Its commands are not run and it gets no answers, not even the
    // handheld's.
    stranger->send({ 5, 306, "C:\\" });
    auto answer = ask(*handheld, { 6, 306, "C:\\" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 6);
    stranger->pump();
    EXPECT_TRUE(stranger->answers().empty());
    EXPECT_TRUE(log.contains("접속 IP: 127.0.0.1\n로그인하지 않은 연결의 요청(306)을 무시합니다..\n"));

    // Its log-out closes its own connection, not the handheld's.
    stranger->send({ 0, 311, "10.0.0.5" });
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_TRUE(stranger->waitClosed());
    EXPECT_TRUE(service->session().isLoggedIn);
    EXPECT_FALSE(log.contains("PDA 사용자 로그아웃\n"));

    // Another stranger closing without a log-in logs nobody out either.
    auto passerby = connectHandheld("127.0.0.1");
    passerby->close();
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_TRUE(service->session().isLoggedIn);
    auto still = ask(*handheld, { 7, 306, "C:\\" });
    ASSERT_TRUE(still);
    EXPECT_EQ(still->first, 7);
}

TEST_F(HostilePeersTest, ConnectionsAreCappedPerAddressAndInTotal)
{
    auto sameAddress = crowd(20, "127.0.0.7");
    EXPECT_LE(service->commandConnectionCount(), kCommandLimits.perAddress);
    std::vector<std::unique_ptr<ScriptedHandheld>> many;
    for (int host = 10; host < 110; ++host) {
        many.push_back(ScriptedHandheld::connect(service->commandPort(), "127.0.1." + std::to_string(host)));
        ASSERT_TRUE(many.back());
    }
    loop.runUntil([] { return false; }, 300ms);
    EXPECT_LE(service->commandConnectionCount(), kCommandLimits.total);

    // The handheld still gets in, logs in and is served.
    auto handheld = ScriptedHandheld::connect(service->commandPort(), "127.0.0.1");
    ASSERT_TRUE(handheld);
    auto yes = ask(*handheld, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(yes);
    EXPECT_EQ(yes->text.rfind("YES", 0), 0u);
    EXPECT_EQ(awaitAnswer(*handheld)->code, 328);
    auto answer = ask(*handheld, { 9, 306, "C:\\" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 9);
    // Its logged-in connection is never the one that makes room.
    auto more = crowd(80, "127.0.2.1");
    more.clear();
    auto later = ask(*handheld, { 10, 306, "C:\\" });
    ASSERT_TRUE(later);
    EXPECT_EQ(later->first, 10);
}

TEST_F(HostilePeersTest, ConnectionsThatDoNotLogInAreClosedAfterTheTimeOut)
{
    auto idle = crowd(5, "127.0.0.8");
    auto handheld = loggedInHandheld("127.0.0.1");
    clock.advance(kLoginTimeout - 1ms);
    loop.processPending();
    EXPECT_EQ(service->commandConnectionCount(), 6u);
    clock.advance(1ms);
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_EQ(service->commandConnectionCount(), 1u);
    for (auto& peer : idle)
        EXPECT_TRUE(peer->waitClosed());
    // The logged-in handheld stays.
    clock.advance(kLoginTimeout);
    handheld->send({ 0, 328, "" });
    auto answer = ask(*handheld, { 11, 306, "C:\\" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 11);
}

TEST_F(HostilePeersTest, RunningOutOfDescriptorsDoesNotSpinAndRecovers)
{
    // Every accept fails as it does when the process has no descriptor left;
    // the pending connection stays in the backlog.
    platform::TcpListener::failNextAccepts(EMFILE, 1000000);
    auto handheld = ScriptedHandheld::connect(service->commandPort(), "127.0.0.1");
    ASSERT_TRUE(handheld);
    std::uint64_t before = platform::TcpListener::acceptAttempts();
    loop.runUntil([] { return false; }, 300ms);
    // A spinning loop would have tried thousands of times.
    EXPECT_LE(platform::TcpListener::acceptAttempts() - before, 2u);
    EXPECT_EQ(service->commandConnectionCount(), 0u);

    // Once descriptors are there again, the next retry takes the connection.
    platform::TcpListener::failNextAccepts(0, 0);
    clock.advance(std::chrono::milliseconds(PortListener::kRetryMs));
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_EQ(service->commandConnectionCount(), 1u);
    auto answer = ask(*handheld, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->code, 310);
}

TEST_F(HostilePeersTest, FailedLogInsSlowDownTheNextTryFromTheAddress)
{
    auto guesser = connectHandheld("127.0.0.20");
    // The first mistake costs nothing.
    auto first = ask(*guesser, { 0, 310, "owner\nguess1" });
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "NO");
    auto second = ask(*guesser, { 0, 310, "owner\nguess2" });
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, "NO");

    // After two, the next check waits a second: nothing a millisecond
    // early, the answer once the second is over.
    guesser->send({ 0, 310, "owner\nguess3" });
    loop.runUntil([] { return false; }, 100ms);
    clock.advance(999ms);
    loop.runUntil([] { return false; }, 100ms);
    guesser->pump();
    EXPECT_TRUE(guesser->answers().empty());
    clock.advance(1ms);
    auto third = awaitAnswer(*guesser);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->text, "NO");

    // New connections from the address wait just the same (two seconds now).
    auto another = connectHandheld("127.0.0.20");
    another->send({ 0, 310, "owner\nsecret" });
    clock.advance(1999ms);
    loop.runUntil([] { return false; }, 100ms);
    another->pump();
    EXPECT_TRUE(another->answers().empty());
    // Other addresses are not slowed down.
    auto handheld = loggedInHandheld("127.0.0.1");
    clock.advance(1ms);
    auto right = awaitAnswer(*another);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->text.rfind("YES", 0), 0u);

    // Logged once per burst, not once per try.
    int refusals = 0;
    for (const auto& entry : log.entries)
        refusals += entry == "접속 IP: 127.0.0.20\n사용자 인증에 실패하였습니다..\n";
    EXPECT_EQ(refusals, 1);
    EXPECT_TRUE(log.contains("접속 IP: 127.0.0.20\n로그인 실패가 되풀이되어 이 주소의 로그인을 늦춥니다..\n"));

    // The correct log-in cleared the address: a mistake is free again.
    auto again = connectHandheld("127.0.0.20");
    auto free = ask(*again, { 0, 310, "owner\nguess4" });
    ASSERT_TRUE(free);
    EXPECT_EQ(free->text, "NO");
}

TEST_F(HostilePeersTest, GuessingFromManyConnectionsIsNoFaster)
{
    auto peers = crowd(8, "127.0.0.21");
    for (auto& peer : peers)
        peer->send({ 0, 310, "owner\nwrong" });
    // Without the clock moving, only the tries before the delay are checked.
    loop.runUntil([] { return false; }, 300ms);
    int answered = 0;
    for (auto& peer : peers) {
        peer->pump();
        answered += static_cast<int>(peer->answers().size());
    }
    EXPECT_EQ(answered, 2);
}

} // namespace
} // namespace pc::service::testing
