#include "platform/safe_name.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Case {
    std::string_view name;
    std::string_view input;
    std::size_t maxBytes;
    std::string_view expected;
};

const std::string kLong(300, 'a');
// "가" is three bytes in UTF-8: 85 of them are 255 bytes, 86 are 258.
const std::string kKorean = [] {
    std::string text;
    for (int i = 0; i < 86; ++i)
        text += "가";
    return text;
}();

const Case kCases[] = {
    { "plain", "report.txt", kMaxFileNameBytes, "report.txt" },
    { "Korean", "보고서.hwp", kMaxFileNameBytes, "보고서.hwp" },
    { "empty", "", kMaxFileNameBytes, "_" },
    { "dot", ".", kMaxFileNameBytes, "_" },
    { "dot dot", "..", kMaxFileNameBytes, "_" },
    { "three dots stay a name", "...", kMaxFileNameBytes, "..." },
    { "hidden name stays", ".profile", kMaxFileNameBytes, ".profile" },
    { "slash", "../x", kMaxFileNameBytes, ".._x" },
    { "backslash", "..\\..\\x", kMaxFileNameBytes, ".._.._x" },
    { "absolute", "/etc/passwd", kMaxFileNameBytes, "_etc_passwd" },
    { "NUL", std::string_view("a\0b", 3), kMaxFileNameBytes, "a_b" },
    { "line break and DEL", "a\nb\x7f", kMaxFileNameBytes, "a_b_" },
    { "only separators", "/", kMaxFileNameBytes, "_" },
    { "long ASCII cut at 255", kLong, kMaxFileNameBytes, std::string_view(kLong).substr(0, 255) },
    { "long Korean cut between characters", kKorean, kMaxFileNameBytes,
        std::string_view(kKorean).substr(0, 255) },
    { "room kept for a suffix", "abcdef", 4, "abcd" },
    { "cut inside a character drops it", "가나", 4, "가" },
    { "cut that leaves dot dot", "..x", 2, "_" },
    { "damaged UTF-8 kept byte for byte", "a\xff" "b", kMaxFileNameBytes, "a\xff" "b" },
};

TEST(SafeFileName, ReducesEveryNameToOneSafeComponent)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string safe = safeFileName(c.input, c.maxBytes);
        EXPECT_EQ(safe, c.expected);
        EXPECT_LE(safe.size(), std::max<std::size_t>(c.maxBytes, 1));
        EXPECT_EQ(safe.find_first_of("/\\"), std::string::npos);
        // Safe names are fixed points.
        EXPECT_EQ(safeFileName(safe, c.maxBytes), safe);
    }
}

TEST(SafeFileName, LastPathComponentTakesWhatFollowsEitherSeparator)
{
    EXPECT_EQ(lastPathComponent("C:\\docs\\a.txt"), "a.txt");
    EXPECT_EQ(lastPathComponent("/home/x/b.txt"), "b.txt");
    EXPECT_EQ(lastPathComponent("dir\\sub/c"), "c");
    EXPECT_EQ(lastPathComponent("plain"), "plain");
    EXPECT_EQ(lastPathComponent("ends\\"), "");
    EXPECT_EQ(safeFileName(lastPathComponent("C:\\a\\..")), "_");
}

} // namespace
} // namespace platform
