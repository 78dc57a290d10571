#include "pc/service/testing/service_fixture.h"

#include <thread>

using namespace std::chrono_literals;

namespace pc::service::testing {
namespace {

class RemoteServiceTest : public ServiceFixture {
protected:
    void SetUp() override { service->start(); }
};

TEST_F(RemoteServiceTest, StartLogsAddressAndListens)
{
    EXPECT_EQ(log.entries.at(0), "This Computer IP : 10.0.0.5\n");
    EXPECT_EQ(log.entries.at(1), "PC 서버를 시작합니다..\n");
    EXPECT_NE(service->commandPort(), 0);
    EXPECT_NE(service->uploadPort(), 0);
}

TEST_F(RemoteServiceTest, WrongPasswordAnswersNoAndRightOneYes)
{
    auto handheld = connectHandheld();
    EXPECT_TRUE(log.contains("사용자가 PC 연결을 시도합니다..\n"));

    auto no = ask(*handheld, { 0, 310, "owner\nwrong" });
    ASSERT_TRUE(no);
    EXPECT_EQ(*no, (proto::PcAnswer { 0, 310, "NO" }));
    EXPECT_TRUE(log.contains("접속 IP: 127.0.0.1\n사용자 인증에 실패하였습니다..\n"));
    EXPECT_FALSE(service->session().isLoggedIn);

    auto yes = ask(*handheld, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(yes);
    EXPECT_EQ(*yes, (proto::PcAnswer { 1, 310, "YES\\C:\\\\" }));
    auto probe = awaitAnswer(*handheld);
    ASSERT_TRUE(probe);
    EXPECT_EQ(*probe, (proto::PcAnswer { 0, 328, "" }));
    EXPECT_TRUE(log.contains("접속 IP: 127.0.0.1\n사용자 인증을 완료하였습니다..\n"));
    EXPECT_TRUE(service->session().isLoggedIn);
    EXPECT_EQ(service->session().loggedInAddress, "127.0.0.1");
}

TEST_F(RemoteServiceTest, IdIsCaseSensitive)
{
    auto handheld = connectHandheld();
    auto answer = ask(*handheld, { 0, 310, "Owner\nsecret" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->text, "NO");
}

TEST_F(RemoteServiceTest, SecondHandheldReplacesFirstAndSurvivesItsClose)
{
    auto first = loggedInHandheld("127.0.0.1");
    auto second = loggedInHandheld("127.0.0.2");
    EXPECT_EQ(service->session().loggedInAddress, "127.0.0.2");

    first->close();
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_TRUE(log.contains("127.0.0.1 소켓 연결을 종료합니다.\n"));
    // The older handheld was not the logged-in one: no log-out.
    EXPECT_FALSE(log.contains("PDA 사용자 로그아웃\n"));
    EXPECT_TRUE(service->session().isLoggedIn);
    EXPECT_EQ(service->session().loggedInAddress, "127.0.0.2");

    // The second handheld still gets answers.
    auto list = ask(*second, { 12, 306, "C:\\" });
    ASSERT_TRUE(list);
    EXPECT_EQ(list->code, 306);

    // Its own closing logs it out: no stale log-in keeps its address open.
    second->close();
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_TRUE(log.contains("PDA 사용자 로그아웃\n"));
    EXPECT_FALSE(service->session().isLoggedIn);
    EXPECT_TRUE(service->session().loggedInAddress.empty());
}

TEST_F(RemoteServiceTest, ReconnectFromTheSameAddressKeepsTheNewerLogIn)
{
    auto older = loggedInHandheld("127.0.0.1");
    auto newer = loggedInHandheld("127.0.0.1");

    // The older connection no longer holds the session: its close logs
    // nobody out.
    older->close();
    pumpUntil([&] { return service->commandConnectionCount() == 1; });
    EXPECT_TRUE(log.contains("127.0.0.1 소켓 연결을 종료합니다.\n"));
    EXPECT_FALSE(log.contains("PDA 사용자 로그아웃\n"));
    EXPECT_TRUE(service->session().isLoggedIn);

    // Closing the newer one now logs the handheld out.
    newer->close();
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_FALSE(service->session().isLoggedIn);
    EXPECT_TRUE(log.contains("PDA 사용자 로그아웃\n"));
}

TEST_F(RemoteServiceTest, LoggingInTwiceOnOneConnectionKeepsTheSession)
{
    auto handheld = loggedInHandheld();
    auto again = ask(*handheld, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(again);
    EXPECT_EQ(again->code, 310);
    handheld->close();
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_FALSE(service->session().isLoggedIn);
}

TEST_F(RemoteServiceTest, LogOutNeedsThePcAddress)
{
    auto handheld = loggedInHandheld();
    handheld->send({ 0, 311, "10.9.9.9" });
    handheld->send({ 13, 306, "C:\\" }); // Still served after the refused log-out.
    auto answer = awaitAnswer(*handheld);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 13);
    EXPECT_TRUE(service->session().isLoggedIn);

    handheld->send({ 0, 311, "10.0.0.5" });
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_TRUE(handheld->waitClosed());
    EXPECT_FALSE(service->session().isLoggedIn);
    EXPECT_TRUE(service->session().loggedInAddress.empty());
    EXPECT_TRUE(log.contains("127.0.0.1 소켓 연결을 종료합니다.\n"));
}

TEST_F(RemoteServiceTest, LogOutMayNameTheAddressTheConnectionArrivedOn)
{
    auto handheld = loggedInHandheld();
    handheld->send({ 0, 311, "127.0.0.1" });
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_FALSE(service->session().isLoggedIn);
}

TEST_F(RemoteServiceTest, SilentHandheldIsResetAfterTheProbePeriod)
{
    auto handheld = loggedInHandheld();
    clock.advance(179s);
    EXPECT_TRUE(service->session().isLoggedIn);
    clock.advance(2s);
    pumpUntil([&] { return service->commandConnectionCount() == 0; });
    EXPECT_TRUE(log.contains("PDA 사용자가 3분 동안 응답이 없으므로, 서버를 초기화 합니다.\n"));
    EXPECT_FALSE(service->session().isLoggedIn);
    EXPECT_TRUE(handheld->waitClosed());

    // The listeners stay open: the handheld can log in again.
    auto again = loggedInHandheld();
    EXPECT_TRUE(service->session().isLoggedIn);
}

TEST_F(RemoteServiceTest, HandheldAnsweringProbesStaysConnected)
{
    auto handheld = loggedInHandheld();
    for (int round = 0; round < 5; ++round) {
        handheld->send({ 0, 328, "" });
        pumpUntil([&] { return service->session().isActive; });
        clock.advance(180s);
        auto probe = awaitAnswer(*handheld);
        ASSERT_TRUE(probe) << round;
        EXPECT_EQ(probe->code, 328);
    }
    EXPECT_TRUE(service->session().isLoggedIn);
    EXPECT_EQ(service->commandConnectionCount(), 1u);
}

TEST_F(RemoteServiceTest, KeepAliveRepliesFromAnotherAddressDoNotCount)
{
    auto handheld = loggedInHandheld("127.0.0.1");
    auto stranger = connectHandheld("127.0.0.6");
    stranger->send({ 0, 328, "" });
    // A gated request behind it leaves a log line once both are handled.
    stranger->send({ 0, 306, "C:\\" });
    pumpUntil([&] { return log.entries.back().find("(306)") != std::string::npos; });
    EXPECT_FALSE(service->session().isActive);
    clock.advance(std::chrono::seconds(181));
    pumpUntil([&] { return !service->session().isLoggedIn; });
    EXPECT_FALSE(service->session().isLoggedIn);
}

TEST_F(RemoteServiceTest, AnswersPostedFromAWorkerThreadArrive)
{
    auto handheld = loggedInHandheld();
    std::thread worker([&] { service->postAnswer({ 3, 304, "done" }); });
    worker.join();
    auto answer = awaitAnswer(*handheld);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (proto::PcAnswer { 3, 304, "done" }));
}

TEST_F(RemoteServiceTest, StopSendsServiceStoppingToEveryHandheld)
{
    auto first = loggedInHandheld("127.0.0.1");
    auto bystander = connectHandheld("127.0.0.3");
    service->stop();
    auto a = first->waitAnswer();
    auto b = bystander->waitAnswer();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, (proto::PcAnswer { 0, 312, "" }));
    EXPECT_EQ(*b, (proto::PcAnswer { 0, 312, "" }));
    EXPECT_TRUE(first->waitClosed());
    EXPECT_TRUE(bystander->waitClosed());
    EXPECT_EQ(log.entries.back(), "PC 서버를 종료합니다..\n");
    EXPECT_FALSE(service->session().isLoggedIn);
    EXPECT_EQ(service->commandPort(), 0);
}

TEST_F(RemoteServiceTest, CommandsBeforeLogInAreIgnoredAndLogged)
{
    auto handheld = connectHandheld();
    handheld->send({ 5, 306, "C:\\" });
    pumpUntil([&] { return log.entries.size() >= 4; });
    EXPECT_FALSE(std::filesystem::exists(root() / "serverfolder"));
    // A log-in afterwards answers first: nothing was queued for the 306.
    auto answer = ask(*handheld, { 0, 310, "owner\nsecret" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->code, 310);
}

TEST_F(RemoteServiceTest, OtherAddressesAreGatedWhileAHandheldIsLoggedIn)
{
    auto owner = loggedInHandheld("127.0.0.1");
    auto stranger = connectHandheld("127.0.0.4");
    stranger->send({ 7, 306, "C:\\" });
    // The owner's request is answered, the stranger's never is.
    auto answer = ask(*owner, { 8, 306, "C:\\" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->first, 8);
    stranger->pump();
    EXPECT_TRUE(stranger->answers().empty());
}

TEST_F(RemoteServiceTest, RequestsSplitOrJoinedAreEachHandledOnce)
{
    auto handheld = loggedInHandheld();
    std::string one = proto::formatPcRequest({ 21, 306, "C:\\" });
    std::string two = proto::formatPcRequest({ 22, 306, "C:\\" });
    handheld->sendRaw(one.substr(0, 9));
    loop.processPending();
    handheld->sendRaw(one.substr(9) + two);
    pumpUntil([&] { return handheld->pump(), handheld->answers().size() >= 2; });
    loop.processPending();
    handheld->pump();
    ASSERT_EQ(handheld->answers().size(), 2u);
    EXPECT_EQ(handheld->answers()[0].first, 21);
    EXPECT_EQ(handheld->answers()[1].first, 22);
}

class RecordingMail final : public MailCommands {
public:
    void checkMail(const CommandContext& c) override { codes.push_back(c.code); }
    void prepareMail(const CommandContext& c) override { codes.push_back(c.code); }
    void deleteMail(const CommandContext& c) override { codes.push_back(c.code); }
    void sendMail(const std::string& text, const std::string& sender) override
    {
        mails.push_back(text);
        senders.push_back(sender);
    }
    std::vector<int> codes;
    std::vector<std::string> mails;
    std::vector<std::string> senders;
};

TEST_F(RemoteServiceTest, MailRequestsReachTheMailRelay)
{
    RecordingMail mail;
    service->setMailCommands(&mail);
    auto handheld = loggedInHandheld();
    auto next = ask(*handheld, { 3, 329, "Hello, " });
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, (proto::PcAnswer { 7, 330, "NEXT" }));
    next = ask(*handheld, { 0, 329, "dear " });
    ASSERT_TRUE(next);
    EXPECT_EQ(next->first, 12);
    handheld->send({ 1, 329, "friend" });
    handheld->send({ 0, 304, "" });
    handheld->send({ 0, 305, "3" });
    handheld->send({ 0, 332, "3" });
    pumpUntil([&] { return mail.codes.size() == 3; });
    ASSERT_EQ(mail.mails.size(), 1u);
    EXPECT_EQ(mail.mails[0], "Hello, dear friend");
    EXPECT_EQ(mail.senders[0], "127.0.0.1");
    EXPECT_EQ(mail.codes, (std::vector<int> { 304, 305, 332 }));
    service->setMailCommands(nullptr);
}

} // namespace
} // namespace pc::service::testing
