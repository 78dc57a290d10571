#include "platform/process.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

using namespace std::chrono_literals;

ProcessOptions options(void (*set)(ProcessOptions&))
{
    ProcessOptions made;
    set(made);
    return made;
}

TEST(Process, CollectsOutputAndExitCode)
{
    struct Case {
        std::vector<std::string> argv;
        ProcessOptions options;
        int exitCode;
        std::string output;
    };
    const Case cases[] = {
        { { "echo", "한글", "two words" }, {}, 0, "한글 two words\n" },
        { { "sh", "-c", "echo out; echo err >&2; exit 3" }, {}, 3, "out\n" },
        { { "sh", "-c", "echo err >&2" }, options([](ProcessOptions& o) { o.captureErrors = true; }), 0, "err\n" },
        { { "cat" }, options([](ProcessOptions& o) { o.input = std::string(200000, 'x'); }), 0, std::string(200000, 'x') },
        { { "pwd" }, options([](ProcessOptions& o) { o.workingFolder = "/tmp"; }), 0, "/tmp\n" },
        { { "sh", "-c", "kill -9 $$" }, {}, 128 + 9, "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv.back());
        auto result = runProcess(c.argv, c.options);
        ASSERT_TRUE(result) << describe(result.error());
        EXPECT_EQ(result->exitCode, c.exitCode);
        EXPECT_EQ(result->output, c.output);
        EXPECT_FALSE(result->timedOut);
    }
}

TEST(Process, AProgramThatKeepsRunningIsKilledAtTheDeadline)
{
    // One keeps its output open, one closes it first and runs on.
    for (const char* script : { "echo started; exec sleep 30", "exec sleep 30 >/dev/null" }) {
        SCOPED_TRACE(script);
        auto result = runProcess({ "sh", "-c", script }, options([](ProcessOptions& o) { o.timeout = 100ms; }));
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->timedOut);
        EXPECT_EQ(result->exitCode, 128 + 9);
    }
}

TEST(Process, AProgramThatReadsNoInputDoesNotHurtTheCaller)
{
    auto result = runProcess({ "true" }, options([](ProcessOptions& o) { o.input = std::string(1 << 20, 'x'); }));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->exitCode, 0);
}

TEST(Process, MissingProgramsAreNotFound)
{
    auto result = runProcess({ "no-such-program-quillon" });
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, ErrorCode::NotFound);
    EXPECT_EQ(launchDetached({ "no-such-program-quillon" }).error().code, ErrorCode::NotFound);
    EXPECT_EQ(runProcess({}).error().code, ErrorCode::InvalidArgument);
    EXPECT_TRUE(launchDetached({ "true" }));
}

} // namespace
} // namespace platform
