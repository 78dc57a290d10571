#include "pocket/ink/ink_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace pocket::ink {
namespace {

namespace fs = std::filesystem;

class InkFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "ink_file_test.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const fs::path& path, std::string_view bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path m_dir;
};

TEST_F(InkFileTest, WritesReplacesAndReadsBack)
{
    InkMessage message;
    message.append(InkToken::LineStart);
    message.append(InkToken::Thickness3);
    message.append(InkToken::Black);
    message.append(InkPoint { 10, 30 });
    message.append(InkPoint { 100, 200 });
    message.append(InkToken::LineEnd);
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
