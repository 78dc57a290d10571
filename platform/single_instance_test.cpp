#include "platform/single_instance.h"
#include "platform/temp_folder.h"

#include "platform/poll_event_loop.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace platform {
namespace {

using namespace std::chrono_literals;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.emplace("single_instance_test");
        ASSERT_FALSE(temp->path().empty());
        home = temp->path() / "home";
    }
    void TearDown() override { temp.reset(); }

    std::optional<platform::TempFolder> temp;

    std::filesystem::path home;
};

TEST_F(SingleInstanceTest, SecondAcquireFailsUntilTheFirstEnds)
{
    auto first = std::make_unique<SingleInstance>(home, "quillon");
    ASSERT_EQ(first->tryAcquire().valueOr(false), true);
    struct stat info {};
    ASSERT_EQ(stat((home / "quillon.lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    SingleInstance second(home, "quillon");
    EXPECT_EQ(second.tryAcquire().valueOr(true), false);
    EXPECT_FALSE(second.isHeld());
    // Another program's lock in the same folder is independent.
    SingleInstance pocket(home, "quillon-pocket");
    EXPECT_EQ(pocket.tryAcquire().valueOr(false), true);

    first.reset();
    EXPECT_EQ(second.tryAcquire().valueOr(false), true);
}

TEST_F(SingleInstanceTest, SecondInstanceBringsTheFirstToTheFront)
{
    SystemClock clock;
    PollEventLoop loop(clock);
    SingleInstance first(home, "quillon");
    ASSERT_EQ(first.tryAcquire().valueOr(false), true);
    int activations = 0;
    ASSERT_TRUE(first.listenForActivation(loop, [&] { ++activations; }));

    SingleInstance second(home, "quillon");
    ASSERT_EQ(second.tryAcquire().valueOr(true), false);
    ASSERT_TRUE(second.requestActivation());
    EXPECT_TRUE(loop.runUntil([&] { return activations == 1; }, 5s));
}

TEST_F(SingleInstanceTest, ActivationWithoutAListenerIsUnavailable)
{
    SingleInstance first(home, "quillon");
    ASSERT_EQ(first.tryAcquire().valueOr(false), true);
    SingleInstance second(home, "quillon");
    auto asked = second.requestActivation();
    ASSERT_FALSE(asked);
    EXPECT_EQ(asked.error().code, ErrorCode::Unavailable);
}

} // namespace
} // namespace platform
