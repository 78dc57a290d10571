#include "apps/quillon/options.h"

#include <gtest/gtest.h>

namespace apps::quillon {
namespace {

TEST(PcOptionsParser, ReadsTheDocumentedCommandLine)
{
    auto options = parseOptions({ "--headless", "--home", "/tmp/h", "--id=kim", "--start", "--command-port", "5000",
        "--upload-port=5040", "--web-port", "8091", "--trace" });
    ASSERT_TRUE(options) << options.error();
    EXPECT_TRUE(options->headless);
    EXPECT_TRUE(options->start);
    EXPECT_TRUE(options->trace);
    EXPECT_EQ(options->home, "/tmp/h");
    EXPECT_EQ(options->id, "kim");
    EXPECT_EQ(options->commandPort, 5000);
    EXPECT_EQ(options->uploadPort, 5040);
    EXPECT_EQ(options->webPort, 8091);

    auto defaults = parseOptions({});
    ASSERT_TRUE(defaults);
    EXPECT_FALSE(defaults->start);
    // Ports not given are the profile's, read by the shell.
    EXPECT_FALSE(defaults->webPort);
    EXPECT_FALSE(defaults->commandPort);
    EXPECT_FALSE(defaults->uploadPort);
    EXPECT_EQ(defaults->home, "");
}

TEST(PcOptionsParser, RefusesBadCommandLines)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string_view message;
    };
    const Case cases[] = {
        { { "--web-port" }, "--web-port needs a port number (0 to 65535)" },
        { { "--web-port", "65536" }, "--web-port needs a port number (0 to 65535)" },
        { { "--web-port=9x" }, "--web-port needs a port number (0 to 65535)" },
        { { "--command-port", "-1" }, "--command-port needs a port number (0 to 65535)" },
        { { "--home" }, "--home needs a value" },
        { { "--home=" }, "--home needs a value" },
        { { "--bogus" }, "unknown option --bogus" },
        { { "--start=yes" }, "unknown option --start=yes" },
        { { "start" }, "unknown option start" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        auto options = parseOptions(c.arguments);
        ASSERT_FALSE(options);
        EXPECT_EQ(options.error(), c.message);
    }
}

} // namespace
} // namespace apps::quillon
