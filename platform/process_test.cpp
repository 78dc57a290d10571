#include "platform/process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

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

// Running, not merely a zombie waiting for its parent to reap it.
bool isAlive(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(ChildProcess, ExchangesLinesAndTimesOut)
{
    auto child = ChildProcess::start({ "sh", "-c", "while read line; do echo \"got $line\"; done" });
    ASSERT_TRUE(child) << describe(child.error());
    ASSERT_TRUE(child->write("one\ntwo\n"));
    auto soon = [] { return std::chrono::steady_clock::now() + 10s; };
    EXPECT_EQ(child->readLine(soon()).value(), "got one");
    EXPECT_EQ(child->readLine(soon()).value(), "got two");
    // Nothing more is coming: the deadline ends the wait.
    auto silent = child->readLine(std::chrono::steady_clock::now() + 50ms);
    ASSERT_FALSE(silent);
    EXPECT_EQ(silent.error().code, ErrorCode::Timeout);
    EXPECT_FALSE(child->hasEnded());
}

TEST(ChildProcess, EndOfOutputAndEndOfProgramAreSeen)
{
    auto child = ChildProcess::start({ "sh", "-c", "echo last; exit 0" });
    ASSERT_TRUE(child);
    auto soon = std::chrono::steady_clock::now() + 10s;
    EXPECT_EQ(child->readLine(soon).value(), "last");
    auto closed = child->readLine(soon);
    ASSERT_FALSE(closed);
    EXPECT_EQ(closed.error().code, ErrorCode::Closed);
    while (!child->hasEnded() && std::chrono::steady_clock::now() < soon)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(child->hasEnded());
    // Writing to a program that has gone fails instead of raising SIGPIPE.
    child->kill();
    EXPECT_EQ(child->write("x\n").error().code, ErrorCode::Closed);
}

TEST(ChildProcess, KillEndsTheProgramsItStartedAndInheritsNoDescriptor)
{
    // A descriptor of ours without close-on-exec must not reach the child
    // (a listening socket kept by a helper would keep a port after we end).
    int ours = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(ours, 0);
    auto child = ChildProcess::start({ "sh", "-c",
        "sleep 60 & echo $!; test -e /proc/self/fd/" + std::to_string(ours) + " && echo leaked || echo clean; wait" });
    ::close(ours);
    ASSERT_TRUE(child);
    auto soon = std::chrono::steady_clock::now() + 10s;
    int grandchild = std::stoi(child->readLine(soon).value());
    EXPECT_EQ(child->readLine(soon).value(), "clean");
    EXPECT_TRUE(isAlive(grandchild));
    int pid = child->pid();
    child->kill();
    EXPECT_FALSE(isAlive(pid));
    // The grandchild is not ours to reap; it is gone once init has reaped it.
    while (isAlive(grandchild) && std::chrono::steady_clock::now() < soon)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(isAlive(grandchild));
    EXPECT_EQ(ChildProcess::start({ "no-such-program-quillon" }).error().code, ErrorCode::NotFound);
}

} // namespace
} // namespace platform
