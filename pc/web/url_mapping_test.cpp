#include "pc/web/url_mapping.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace pc::web {
namespace {

namespace fs = std::filesystem;

TEST(UrlMapping, RefusesEveryFormOfParentFolder)
{
    const std::string_view refused[] = {
        "/../x",
        "/a/../../x",
        "/..",
        "/a/..",
        "\\..\\x",
        "/..\\x",
        "/a..b", // Any "..", as the server always refused.
        "/x/...",
        "/x/. ",
        "/x./y",
        "/x /y",
        "/a\x01",
        std::string_view("/a\0b", 4),
    };
    std::vector<CWebFolder> folders = { { "\\", "/srv", "404.htm", 0 } };
    for (std::string_view url : refused) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(isSafeUrlPath(url));
        EXPECT_FALSE(findFolderForUrl(url, folders));
    }
    EXPECT_TRUE(isSafeUrlPath("/pda_Download/a.zip"));
    EXPECT_TRUE(isSafeUrlPath("/.hidden/x.y"));
    EXPECT_TRUE(isSafeUrlPath("/%2e%2e")); // Literal text after the one decoding.
}

TEST(UrlMapping, LongestAliasAtAFolderBoundaryWins)
{
    std::vector<CWebFolder> folders = {
        { "/", "/root", "default.htm", 0 },
        { "/docs", "/documents", "index.htm", 1 },
        { "\\DOCS\\deep\\", "/deep", "", 0 },
    };
    struct Case {
        std::string_view url;
        std::size_t entry;
        std::string_view rest;
    };
    const Case cases[] = {
        { "/", 0, "" },
        { "/serverfolder", 0, "serverfolder" },
        { "/pda_Download/a.zip", 0, "pda_Download/a.zip" },
        { "/docs/", 1, "" },
        { "/Docs/a/b.txt", 1, "a/b.txt" },
        { "/docsecret/x", 0, "docsecret/x" }, // Not under "/docs".
        { "/docs", 0, "docs" }, // The alias without its separator is a name in "/".
        { "/docs/deep/f", 2, "f" },
        { "\\docs\\a", 1, "a" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto match = findFolderForUrl(c.url, folders);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->entryIndex, c.entry);
        EXPECT_EQ(match->rest, c.rest);
    }
    EXPECT_FALSE(findFolderForUrl("relative/x", folders));
    EXPECT_FALSE(findFolderForUrl("/x", { { "/only/", "/o", "", 0 } }));
}

TEST(UrlMapping, JoinsWithoutDoubledSeparators)
{
    EXPECT_EQ(joinLocalPath("/srv/", "a//b"), "/srv/a/b");
    EXPECT_EQ(joinLocalPath("/srv", ""), "/srv");
    EXPECT_EQ(joinLocalPath("/", "x"), "/x");
}

TEST(UrlMapping, SymbolicLinksMayNotLeadOutOfTheFolder)
{
    fs::path base = fs::temp_directory_path() / ("url_mapping_" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "root" / "sub");
    fs::create_directories(base / "outside");
    std::ofstream(base / "outside" / "secret.txt") << "secret";
    std::ofstream(base / "root" / "sub" / "in.txt") << "in";
    fs::create_symlink(base / "outside" / "secret.txt", base / "root" / "link.txt");
    fs::create_directory_symlink(base / "outside", base / "root" / "linkdir");
    fs::create_symlink(base / "root" / "sub" / "in.txt", base / "root" / "inner.txt");
    const std::string root = (base / "root").string();

    EXPECT_TRUE(staysInsideFolder(root + "/sub/in.txt", root));
    EXPECT_TRUE(staysInsideFolder(root + "/inner.txt", root));
    EXPECT_TRUE(staysInsideFolder(root + "/missing.txt", root));
    EXPECT_FALSE(staysInsideFolder(root + "/link.txt", root));
    EXPECT_FALSE(staysInsideFolder(root + "/linkdir/secret.txt", root));
    EXPECT_FALSE(staysInsideFolder(root + "/linkdir/missing.txt", root));
    fs::remove_all(base);
}

} // namespace
} // namespace pc::web
