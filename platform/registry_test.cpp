#include "platform/registry.h"
#include "platform/temp_folder.h"

#include "platform/files.h"
#include "platform/registry_format.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace platform {
namespace {

constexpr std::string_view kKey = "HKCU\\Software\\Quillon";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.emplace("registry_test");
        ASSERT_FALSE(temp->path().empty());
        folder = temp->path();
        file = folder / "registry.txt";
    }
    void TearDown() override { temp.reset(); }

    std::optional<TempFolder> temp;

    std::unique_ptr<Registry> openStore()
    {
        auto opened = Registry::open(file);
        EXPECT_TRUE(opened) << (opened ? "" : describe(opened.error()));
        return opened ? std::move(*opened) : Registry::inMemory();
    }

    std::filesystem::path folder;
    std::filesystem::path file;
};

TEST_F(RegistryTest, OddValuesRoundTripThroughTheFile)
{
    const std::string values[] = {
        "", "plain", "line\nbreak\r\n", "quote \" and backslash \\ and \\x41", std::string("nul\0byte", 8),
        "\x01\x1f\x7f\t", "한글 \xed\x95", "\"string\" \"x\" 1", "\xff\xfe",
    };
    {
        auto registry = openStore();
        ASSERT_TRUE(registry->createKey(kKey));
        for (std::size_t i = 0; i < std::size(values); ++i)
            ASSERT_TRUE(registry->setString(kKey, "v" + std::to_string(i), values[i]));
        ASSERT_TRUE(registry->setDword(kKey, "max", 4294967295u));
        ASSERT_TRUE(registry->setString(kKey, "odd \"name\"\n", "x"));
    }
    auto registry = openStore();
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(registry->getString(kKey, "v" + std::to_string(i)), values[i]) << i;
    EXPECT_EQ(registry->getDword(kKey, "max"), 4294967295u);
    EXPECT_EQ(registry->getString(kKey, "odd \"name\"\n"), "x");
}

TEST_F(RegistryTest, ValuesHaveTypesAndNamesIgnoreCase)
{
    auto registry = openStore();
    ASSERT_TRUE(registry->createKey("HKEY_CURRENT_USER\\Software\\Quillon"));
    ASSERT_TRUE(registry->setDword("hkcu\\software\\quillon\\", "save", 1));
    ASSERT_TRUE(registry->setString(kKey, "SEVER_IP", "10.0.0.2"));
    EXPECT_EQ(registry->valueType(kKey, "SAVE"), ValueType::Dword);
    EXPECT_EQ(registry->valueType(kKey, "sever_ip"), ValueType::String);
    EXPECT_EQ(registry->valueType(kKey, "none"), std::nullopt);
    // A value read as the wrong type is absent.
    EXPECT_EQ(registry->getString(kKey, "save"), std::nullopt);
    EXPECT_EQ(registry->getDword(kKey, "SEVER_IP"), std::nullopt);
    // Overwriting changes the type and keeps the first spelling of the name.
    ASSERT_TRUE(registry->setString(kKey, "SAVE", "yes"));
    EXPECT_EQ(registry->listValues(kKey), (std::vector<std::string> { "save", "SEVER_IP" }));
}

TEST_F(RegistryTest, KeysMustExistBeforeValuesAreSet)
{
    auto registry = openStore();
    EXPECT_FALSE(registry->keyExists(kKey));
    EXPECT_EQ(registry->setDword(kKey, "save", 1).error().code, ErrorCode::NotFound);
    EXPECT_EQ(registry->deleteValue(kKey, "save").error().code, ErrorCode::NotFound);
    ASSERT_TRUE(registry->createKey(kKey));
    EXPECT_TRUE(registry->keyExists("HKCU\\Software"));
    EXPECT_TRUE(registry->createKey(kKey)); // Again: fine.
    EXPECT_EQ(registry->deleteValue(kKey, "save").error().code, ErrorCode::NotFound);
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubkeysButNotItsNeighbours)
{
    auto registry = openStore();
    ASSERT_TRUE(registry->createKey("HKCU\\Software\\Quillon\\Sub"));
    ASSERT_TRUE(registry->createKey("HKCU\\Software\\QuillonOther"));
    ASSERT_TRUE(registry->setString("HKCU\\Software\\Quillon\\Sub", "a", "b"));
    EXPECT_EQ(registry->listSubkeys("HKCU\\Software"), (std::vector<std::string> { "Quillon", "QuillonOther" }));
    ASSERT_TRUE(registry->deleteKey(kKey));
    EXPECT_FALSE(registry->keyExists("HKCU\\Software\\Quillon\\Sub"));
    EXPECT_TRUE(registry->keyExists("HKCU\\Software\\QuillonOther"));
    EXPECT_EQ(registry->deleteKey(kKey).error().code, ErrorCode::NotFound);
    auto reopened = openStore();
    EXPECT_FALSE(reopened->keyExists(kKey));
    EXPECT_TRUE(reopened->keyExists("HKCU\\Software\\QuillonOther"));
}

TEST_F(RegistryTest, StoreFileIsOwnerOnly)
{
    auto registry = openStore();
    ASSERT_TRUE(registry->createKey(kKey));
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, DamagedFilesAreRefusedWithTheLine)
{
    const char* damaged[] = {
        "not a store\n",
        "Quillon registry 1\nstring \"a\" \"b\"\n", // A value before any key.
        "Quillon registry 1\nkey \"HKCU\"\nstring \"a\" \"unterminated\n",
        "Quillon registry 1\nkey \"HKCU\"\ndword \"a\" 12x\n",
        "Quillon registry 1\nkey \"HKCU\"\ndword \"a\" 4294967296\n",
        "Quillon registry 1\nkey \"HKCU\"\nstring \"a\" \"bad \\q escape\"\n",
        "Quillon registry 1\nkey \"HKCU\"\nbinary \"a\" 00\n",
    };
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        ASSERT_TRUE(writeFileAtomically(file, text));
        auto opened = Registry::open(file);
        ASSERT_FALSE(opened);
        EXPECT_EQ(opened.error().code, ErrorCode::Protocol);
    }
}

TEST(RegistryFormat, QuotesControlBytesAndKeepsUtf8)
{
    EXPECT_EQ(quoteRegistryText("a\"b\\c\n\x01\x7f한"), "\"a\\\"b\\\\c\\n\\x01\\x7f한\"");
}

TEST(RegistryKeyPath, CanonicalFormShortensRootsAndSeparators)
{
    EXPECT_EQ(canonicalKeyPath("HKEY_LOCAL_MACHINE\\\\Software\\"), "HKLM\\Software");
    EXPECT_EQ(canonicalKeyPath("\\HKEY_CLASSES_ROOT\\.txt"), "HKCR\\.txt");
    EXPECT_EQ(canonicalKeyPath("Software\\Quillon"), "Software\\Quillon");
    EXPECT_EQ(canonicalKeyPath("\\\\"), "");
}

} // namespace
} // namespace platform
