#include "apps/quillon/credentials_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace apps::quillon {
namespace {

namespace fs = std::filesystem;

TEST(CredentialsFile, TakesTheValuesExactlyAndSkipsCommentsAndBlankLines)
{
    auto both = parseCredentials("# the service's login\r\n\nid=kim\r\npassword= a=b c \n");
    ASSERT_TRUE(both) << both.error();
    EXPECT_EQ(both->id, "kim");
    EXPECT_EQ(both->password, " a=b c ");

    auto passwordOnly = parseCredentials("password=x");
    ASSERT_TRUE(passwordOnly);
    EXPECT_FALSE(passwordOnly->id);
    EXPECT_EQ(passwordOnly->password, "x");

    for (const char* bad : { "id=kim\nuser=kim\n", "kim\n", "ID=kim\n" }) {
        auto parsed = parseCredentials(bad);
        ASSERT_FALSE(parsed) << bad;
        EXPECT_NE(parsed.error().find("expected id=... or password=..."), std::string::npos);
    }
    EXPECT_EQ(parseCredentials("id=kim\n\nuser=kim\n").error(), "line 3: expected id=... or password=...");
}

TEST(CredentialsFile, ReadsOnlyAPrivateRegularFile)
{
    fs::path folder = fs::temp_directory_path() / ("quillon-credentials-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::path file = folder / "credentials";
    std::ofstream(file) << "id=kim\npassword=secret\n";

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    auto read = readCredentialsFile(file);
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(read->password, "secret");

    for (auto shared : { fs::perms::group_read, fs::perms::others_read, fs::perms::others_write }) {
        fs::permissions(file, fs::perms::owner_read | shared);
        auto refused = readCredentialsFile(file);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error(), file.string() + " may be read or changed by others; make it private: chmod 600 "
                + file.string());
    }
    EXPECT_EQ(readCredentialsFile(folder).error(), folder.string() + " is not a regular file");
    EXPECT_EQ(readCredentialsFile(folder / "missing").error(),
        "cannot read " + (folder / "missing").string() + ": No such file or directory");

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    std::ofstream(file) << "id=kim\nsecret\n";
    EXPECT_EQ(readCredentialsFile(file).error(), file.string() + ", line 2: expected id=... or password=...");
    std::ofstream(file) << std::string(5000, '#');
    EXPECT_EQ(readCredentialsFile(file).error(), file.string() + " is too large for a credentials file");
    fs::remove_all(folder);
}

} // namespace
} // namespace apps::quillon
