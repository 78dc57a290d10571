#include "pocket/ink/ink_file.h"

#include "pocket/ink/testing/sample_ink.h"
#include "pocket/ink/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace pocket::ink {
namespace {

namespace fs = std::filesystem;

class InkFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_dir.empty()); }

    std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const fs::path& path, std::string_view bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    testing::TempFolder m_folder;
    const fs::path& m_dir = m_folder.path();
};

TEST_F(InkFileTest, WritesReplacesAndReadsBack)
{
    const InkMessage message = testing::sampleInkMessage();
    const auto path = m_dir / "a.ink";
    put(path, std::string(500, 'x'));
    ASSERT_TRUE(writeInkFile(path, message));
    EXPECT_EQ(contents(path).size(), 13u);
    auto back = readInkFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, message);
}

TEST_F(InkFileTest, ReportsMissingAndUncreatableFiles)
{
    EXPECT_EQ(readInkFile(m_dir / "none.ink").error(), ReadError::Missing);
    EXPECT_EQ(readInkFile(m_dir).error(), ReadError::Missing);
    auto written = writeInkFile(m_dir / "no-folder" / "a.ink", InkMessage {});
    ASSERT_FALSE(written);
    EXPECT_EQ(writeErrorText(written.error()), "Can`t open file !");
}

TEST_F(InkFileTest, ReadsChunkPaddedFilesUpToTheEndByte)
{
    const auto path = m_dir / "padded.ink";
    put(path, std::string("g") + std::string(299, '\0'));
    auto message = readInkFile(path);
    ASSERT_TRUE(message);
    EXPECT_TRUE(message->isEmpty());
    put(path, std::string(3, '\0'));
    EXPECT_EQ(readInkFile(path).error(), ReadError::InvalidEnd);
}

TEST_F(InkFileTest, IndexAppendReadAndRewrite)
{
    const auto index = m_dir / "index";
    EXPECT_TRUE(readIndexLines(index).empty());
    ASSERT_TRUE(appendIndexLine(index, "\\P\\a 1.ink"));
    ASSERT_TRUE(appendIndexLine(index, "\\P\\b 2.ink"));
    EXPECT_EQ(contents(index), "\\P\\a 1.ink\n\\P\\b 2.ink\n");
    EXPECT_EQ(readIndexLines(index), (std::vector<std::string> { "\\P\\a 1.ink", "\\P\\b 2.ink" }));

    ASSERT_TRUE(rewriteIndex(index, { "\\P\\b 2.ink" }));
    EXPECT_EQ(contents(index), "\\P\\b 2.ink\n");
    ASSERT_TRUE(rewriteIndex(index, {}));
    EXPECT_TRUE(fs::exists(index));
    EXPECT_EQ(contents(index), "");
}

TEST_F(InkFileTest, IndexLinesToleratesCarriageReturnsAndBlankLines)
{
    const auto index = m_dir / "index";
    put(index, "a\r\n\nb");
    EXPECT_EQ(readIndexLines(index), (std::vector<std::string> { "a", "b" }));
}

} // namespace
} // namespace pocket::ink
