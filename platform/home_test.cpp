#include "platform/home.h"
#include "platform/temp_folder.h"
#include "platform/trace.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace platform {
namespace {

EnvironmentReader fakeEnvironment(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char* name) -> const char* {
        auto found = values.find(name);
        return found == values.end() ? nullptr : found->second.c_str();
    };
}

TEST(Home, ResolvesInTheDocumentedOrder)
{
    struct Case {
        const char* name;
        Program program;
        std::string option;
        std::map<std::string, std::string> environment;
        std::string expected;
    };
    const std::map<std::string, std::string> all = {
        { "QUILLON_HOME", "/q" }, { "QUILLON_POCKET_HOME", "/qp" }, { "XDG_DATA_HOME", "/xdg" }, { "HOME", "/home/u" },
    };
    const Case cases[] = {
        { "option wins", Program::Pc, "/opt", all, "/opt" },
        { "pc variable", Program::Pc, "", all, "/q" },
        { "pocket variable", Program::Pocket, "", all, "/qp" },
        { "xdg pc", Program::Pc, "", { { "XDG_DATA_HOME", "/xdg" }, { "HOME", "/h" } }, "/xdg/quillon" },
        { "xdg pocket", Program::Pocket, "", { { "XDG_DATA_HOME", "/xdg" } }, "/xdg/quillon-pocket" },
        { "empty variable skipped", Program::Pc, "", { { "QUILLON_HOME", "" }, { "HOME", "/h" } }, "/h/.local/share/quillon" },
        { "relative xdg ignored", Program::Pocket, "", { { "XDG_DATA_HOME", "rel" }, { "HOME", "/h" } },
            "/h/.local/share/quillon-pocket" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto home = resolveHome(c.program, c.option, fakeEnvironment(c.environment));
        ASSERT_TRUE(home);
        EXPECT_EQ(home->string(), c.expected);
    }
    EXPECT_EQ(resolveHome(Program::Pc, "", fakeEnvironment({})).error().code, ErrorCode::NotFound);
}

TEST(Home, PrepareCreatesAPrivateFolder)
{
    TempFolder temp("home_test");
    ASSERT_FALSE(temp.path().empty());
    std::filesystem::path root = temp.path();
    auto home = prepareHome(Program::Pocket, "", fakeEnvironment({ { "XDG_DATA_HOME", root.string() + "/data" } }));
    ASSERT_TRUE(home);
    struct stat info {};
    ASSERT_EQ(stat(home->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(Home, FindsTheHomeOptionInACommandLine)
{
    const char* spaced[] = { "quillon", "--headless", "--home", "/x y" };
    const char* joined[] = { "quillon", "--home=/z" };
    const char* dangling[] = { "quillon", "--home" };
    EXPECT_EQ(findHomeOption(4, spaced), "/x y");
    EXPECT_EQ(findHomeOption(2, joined), "/z");
    EXPECT_EQ(findHomeOption(2, dangling), "");
}

TEST(Trace, WritesLinesOnlyWhenEnabled)
{
    std::ostringstream out;
    setTraceStream(&out);
    setTraceEnabled(false);
    trace("hidden");
    setTraceEnabled(true);
    trace("bind failed");
    trace("ends with newline\n");
    setTraceEnabled(false);
    setTraceStream(nullptr);
    EXPECT_EQ(out.str(), "bind failed\nends with newline\n");
}

} // namespace
} // namespace platform
