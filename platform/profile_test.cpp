#include "platform/profile.h"
#include "platform/temp_folder.h"

#include "platform/files.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace platform {
namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.emplace("profile_test");
        ASSERT_FALSE(temp->path().empty());
        folder = temp->path();
    }
    void TearDown() override { temp.reset(); }

    std::optional<TempFolder> temp;

    void writeText(std::string_view text) { ASSERT_TRUE(writeFileAtomically(file(), text)); }
    std::string readText() { return readWholeFile(file()).valueOr(std::string("<missing>")); }
    std::filesystem::path file() { return folder / "sub" / "Quillon.ini"; }

    std::filesystem::path folder;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyReadsTheDefault)
{
    Profile profile(file());
    EXPECT_EQ(profile.getString("Quillon", "savedid", "dflt"), "dflt");
    EXPECT_EQ(profile.getInt("Quillon", "count", 42), 42);
    writeText("[Quillon]\nother=1\n");
    EXPECT_EQ(profile.getString("Quillon", "savedid", ""), "");
    EXPECT_EQ(profile.getString("Else", "other", "d"), "d");
    EXPECT_EQ(profile.getString("Quillon", "other", "d"), "1");
}

TEST_F(ProfileTest, NamesAreFoundWithoutRegardToCase)
{
    writeText("[QUILLON]\nSavedId=kim\n");
    Profile profile(file());
    EXPECT_EQ(profile.getString("quillon", "savedid", ""), "kim");
    ASSERT_TRUE(profile.writeString("Quillon", "SAVEDID", "lee"));
    // The key keeps its spelling and is not duplicated.
    EXPECT_EQ(readText(), "[QUILLON]\nSavedId=lee\n");
}

TEST_F(ProfileTest, ReadsLikeTheWindowsProfileFunctions)
{
    writeText("; comment\n[Quillon]\n  spaced  =  some value  \nquoted=\"  kept  \"\nsingle='x'\n"
              "num=  123abc\nneg=-7\nword=abc\nempty=\n");
    Profile profile(file());
    EXPECT_EQ(profile.getString("Quillon", "spaced", ""), "some value");
    EXPECT_EQ(profile.getString("Quillon", "quoted", ""), "  kept  ");
    EXPECT_EQ(profile.getString("Quillon", "single", ""), "x");
    struct Case {
        const char* key;
        int expected;
    };
    for (auto c : { Case { "num", 123 }, Case { "neg", -7 }, Case { "word", 0 }, Case { "empty", 5 }, Case { "none", 5 } }) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(profile.getInt("Quillon", c.key, 5), c.expected);
    }
}

TEST_F(ProfileTest, WritesRoundTripByteForByte)
{
    Profile profile(file());
    const std::string values[] = {
        "plain", "", "  leading and trailing  ", "\"quoted\"", "'single'", "한글 값", "a=b;c[d]", "`s`u`p`",
    };
    for (std::size_t i = 0; i < std::size(values); ++i)
        ASSERT_TRUE(profile.writeString("Quillon", "k" + std::to_string(i), values[i]));
    Profile reread(file());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(reread.getString("Quillon", "k" + std::to_string(i), "<missing>"), values[i]);
}

TEST_F(ProfileTest, RefusesTextThatWouldBreakTheFile)
{
    Profile profile(file());
    EXPECT_EQ(profile.writeString("Quillon", "pw", "a\nb").error().code, ErrorCode::InvalidArgument);
    EXPECT_EQ(profile.writeString("Quillon", "a=b", "x").error().code, ErrorCode::InvalidArgument);
    EXPECT_EQ(profile.writeString("Bad]", "k", "x").error().code, ErrorCode::InvalidArgument);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(ProfileTest, WritesGoToDiskAtOnceWithOwnerOnlyModes)
{
    Profile profile(file());
    ASSERT_TRUE(profile.writeInt("Quillon", "kim_pop3cnt", 2));
    EXPECT_EQ(readText(), "[Quillon]\nkim_pop3cnt=2\n");
    struct stat info {};
    ASSERT_EQ(stat(file().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(file().parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(ProfileTest, KeepsCommentsAndOtherSectionsWhenWriting)
{
    writeText("; settings\n[A]\nx=1\n\n[B]\ny=2\n");
    Profile profile(file());
    ASSERT_TRUE(profile.writeString("A", "z", "3"));
    ASSERT_TRUE(profile.writeString("C", "w", "4"));
    EXPECT_EQ(readText(), "; settings\n[A]\nx=1\nz=3\n\n[B]\ny=2\n[C]\nw=4\n");
}

TEST_F(ProfileTest, ReadsPastAByteOrderMarkAndKeepsIt)
{
    writeText("\xef\xbb\xbf[Quillon]\nsavedid=kim\n");
    Profile profile(file());
    EXPECT_EQ(profile.getString("Quillon", "savedid", ""), "kim");
    ASSERT_TRUE(profile.writeString("Quillon", "savedid", "lee"));
    EXPECT_EQ(readText(), "\xef\xbb\xbf[Quillon]\nsavedid=lee\n");
}

TEST_F(ProfileTest, SeesChangesMadeByAnotherWriter)
{
    Profile first(file());
    Profile second(file());
    EXPECT_EQ(first.getString("S", "k", "none"), "none");
    ASSERT_TRUE(second.writeString("S", "k", "v"));
    EXPECT_EQ(first.getString("S", "k", "none"), "v");
}

TEST_F(ProfileTest, DeletesAndListsKeysAndSections)
{
    Profile profile(file());
    ASSERT_TRUE(profile.writeString("S", "a", "1"));
    ASSERT_TRUE(profile.writeString("S", "b", "2"));
    ASSERT_TRUE(profile.writeString("T", "c", "3"));
    EXPECT_EQ(profile.keys("s"), (std::vector<std::string> { "a", "b" }));
    ASSERT_TRUE(profile.deleteKey("S", "A"));
    EXPECT_EQ(profile.keys("S"), (std::vector<std::string> { "b" }));
    ASSERT_TRUE(profile.deleteSection("t"));
    EXPECT_EQ(profile.sections(), (std::vector<std::string> { "S" }));
    EXPECT_TRUE(profile.deleteKey("Missing", "x"));
}

TEST_F(ProfileTest, GetOrWriteDefaultWritesMissingValuesBack)
{
    Profile profile(file());
    EXPECT_EQ(profile.getOrWriteDefault("Quillon", "idsaved", "false"), "false");
    EXPECT_TRUE(profile.hasKey("Quillon", "idsaved"));
    ASSERT_TRUE(profile.writeString("Quillon", "idsaved", "true"));
    EXPECT_EQ(profile.getOrWriteDefault("Quillon", "idsaved", "false"), "true");
}

} // namespace
} // namespace platform
