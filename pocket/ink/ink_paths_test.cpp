#include "pocket/ink/ink_paths.h"

#include <gtest/gtest.h>

namespace pocket::ink {
namespace {

const LocalTime kTime { 2003, 4, 5, 6, 7, 8 };

TEST(InkPaths, FoldersAndFilesOfEachNetwork)
{
    EXPECT_EQ(sentFolder(Network::Msn, "bob@example.com"), "\\Program Files\\Quillon\\MSN\\Ink_Send_bob@example.com");
    EXPECT_EQ(sentFolder(Network::Icq, "12345"), "\\Program Files\\Quillon\\ICQ\\Ink_Send_12345");
    EXPECT_EQ(sentFolder(Network::Yahoo, "y"), "\\Program Files\\Quillon\\YAHOO\\Ink_Send_y");
    EXPECT_EQ(timedInkPath(sentFolder(Network::Icq, "12345"), "777", kTime),
        "\\Program Files\\Quillon\\ICQ\\Ink_Send_12345\\777 2003.4.5 6시7분8초.ink");
    EXPECT_EQ(receiveFolder(Network::Msn), "\\Program Files\\Quillon\\MSN\\MSNInk_Recv");
    EXPECT_EQ(receiveFolder(Network::Icq), "\\Program Files\\Quillon\\ICQ\\ICQInk_Recv");
    EXPECT_EQ(receiveFolder(Network::Yahoo), "\\Program Files\\Quillon\\YAHOO\\YAHOOInk_Recv");
    EXPECT_EQ(indexPath(Network::Icq), "\\Program Files\\Quillon\\ICQ\\ICQInk_Recv\\index");
    EXPECT_EQ(announcedInkPath(Network::Msn, "a 2003.1.2 3시4분5초.ink"),
        "\\Program Files\\Quillon\\MSN\\MSNInk_Recv\\a 2003.1.2 3시4분5초.ink");
}

TEST(InkPaths, NamesFromOutsideStayOneComponent)
{
    struct Case {
        std::string_view name;
        std::string_view in;
        std::string_view out;
    };
    const Case cases[] = {
        { "plain", "x.ink", "x.ink" },
        { "parent escape", "..\\..\\Windows\\x.ink", "x.ink" },
        { "slash escape", "../../etc/passwd", "passwd" },
        { "dot dot alone", "..", "_" },
        { "dot alone", ".", "_" },
        { "empty", "", "_" },
        { "trailing separator", "abc\\", "_" },
        { "control bytes", "a\nb\rc\x01.ink", "a_b_c_.ink" },
        { "korean kept", "받은 6시.ink", "받은 6시.ink" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(safeComponent(c.in), c.out);
    }
    EXPECT_EQ(announcedInkPath(Network::Msn, "index"), "\\Program Files\\Quillon\\MSN\\MSNInk_Recv\\_index");
    // Ids keep their place in the name: a separator in a peer id must not
    // drop the "Ink_Send_" prefix (the folder "MSNInk_Recv" is one step away).
    EXPECT_EQ(sentFolder(Network::Msn, "../x"), "\\Program Files\\Quillon\\MSN\\Ink_Send_.._x");
    EXPECT_EQ(sentFolder(Network::Msn, "a/MSNInk_Recv"), "\\Program Files\\Quillon\\MSN\\Ink_Send_a_MSNInk_Recv");
    EXPECT_EQ(timedInkPath("\\f", "a\\b", kTime), "\\f\\a_b 2003.4.5 6시7분8초.ink");
}

TEST(InkPaths, LongNamesAreCutOnCharacterBoundaries)
{
    std::string longName;
    for (int i = 0; i < 150; ++i)
        longName += "가"; // Three bytes each.
    const auto safe = safeComponent(longName);
    EXPECT_LE(safe.size(), kMaxComponentBytes);
    EXPECT_EQ(safe.size() % 3, 0u);
    const auto timed = std::string(fileNameOf(timedInkPath("\\f", longName, kTime)));
    EXPECT_LE(timed.size(), kMaxComponentBytes);
    EXPECT_TRUE(timed.ends_with("6시7분8초.ink"));
}

TEST(InkPaths, HandheldPathsMapIntoTheDeviceRoot)
{
    const std::filesystem::path root = "/tmp/device";
    EXPECT_EQ(hostPath(root, "\\Program Files\\Quillon\\MSN\\index"), "/tmp/device/Program Files/Quillon/MSN/index");
    EXPECT_EQ(hostPath(root, "\\a\\..\\..\\b"), "/tmp/device/a/b");
    EXPECT_EQ(hostPath(root, ""), root);
    EXPECT_EQ(fileNameOf("\\a\\b c.ink"), "b c.ink");
    EXPECT_EQ(fileNameOf("plain"), "plain");
}

} // namespace
} // namespace pocket::ink
