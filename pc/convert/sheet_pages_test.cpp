#include "pc/convert/sheet_pages.h"

#include <gtest/gtest.h>

#include <map>

namespace pc::convert {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(SheetPages, ParsesCsvAsTheOfficeWritesIt)
{
    struct Case {
        const char* name;
        std::string csv;
        Rows rows;
    } cases[] = {
        { "plain", "a,b\n1,2\n", { { "a", "b" }, { "1", "2" } } },
        { "no final line break", "a,b", { { "a", "b" } } },
        { "empty cells", ",x,\n", { { "", "x", "" } } },
        { "quoted comma and quote", "\"a,b\",\"say \"\"hi\"\"\"\n", { { "a,b", "say \"hi\"" } } },
        { "line break inside quotes", "\"two\nlines\",z\n", { { "two\nlines", "z" } } },
        { "CRLF", "a\r\nb\r\n", { { "a" }, { "b" } } },
        { "empty line", "\n", { { "" } } },
        { "nothing", "", {} },
        { "unterminated quote", "\"abc", { { "abc" } } },
        { "Korean", "이름,값\n", { { "이름", "값" } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseCsv(c.csv), c.rows);
    }
}

std::string numberedRows(int count)
{
    std::string csv;
    for (int i = 1; i <= count; ++i)
        csv += "row" + std::to_string(i) + "," + std::to_string(i * 10) + "\n";
    return csv;
}

class SheetPagesTest : public ::testing::Test {
protected:
    bool render(const std::string& base, const std::vector<SheetText>& sheets, int rowsPerPage)
    {
        order.clear();
        pages.clear();
        return renderSheetPages(base, "Book.xlsx", sheets, rowsPerPage, [&](const SheetPage& page) {
            order.push_back(page.path);
            pages[page.path] = page.html;
            return true;
        });
    }

    std::vector<std::string> order;
    std::map<std::string, std::string> pages;
};

TEST_F(SheetPagesTest, EveryRowOfEverySheetIsReachable)
{
    ASSERT_TRUE(render("book", { { "Data", numberedRows(450) }, { "Notes", "hello\n" } }, 200));
    // Sheet 1 in three pages, sheet 2 in one; the page the handheld opens
    // comes last, once the pages it links to exist.
    EXPECT_EQ(order,
        (std::vector<std::string> { "book.sheets/1-2.htm", "book.sheets/1-3.htm", "book.sheets/2-1.htm", "book.htm" }));
    const std::string& first = pages["book.htm"];
    EXPECT_NE(first.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(first.find("<td>row200</td>"), std::string::npos);
    EXPECT_EQ(first.find("row201"), std::string::npos);
    EXPECT_NE(first.find("<a href=\"book.sheets/1-2.htm\">&gt;&gt;</a>"), std::string::npos);
    EXPECT_NE(first.find("<a href=\"book.sheets/2-1.htm\">Notes</a>"), std::string::npos);
    EXPECT_NE(first.find("1-200 / 450"), std::string::npos);

    const std::string& middle = pages["book.sheets/1-2.htm"];
    EXPECT_NE(middle.find("<a href=\"../book.htm\">&lt;&lt;</a>"), std::string::npos);
    EXPECT_NE(middle.find("<a href=\"1-3.htm\">&gt;&gt;</a>"), std::string::npos);
    EXPECT_NE(middle.find("<td align=\"right\">2010</td>"), std::string::npos);
    const std::string& last = pages["book.sheets/1-3.htm"];
    EXPECT_NE(last.find("401-450 / 450"), std::string::npos);
    EXPECT_EQ(last.find("&gt;&gt;"), std::string::npos);
    const std::string& notes = pages["book.sheets/2-1.htm"];
    EXPECT_NE(notes.find("<a href=\"../book.htm\">Data</a> | <b>Notes</b>"), std::string::npos);
    EXPECT_EQ(notes.find("&lt;&lt;"), std::string::npos); // One page: no page links.
}

TEST_F(SheetPagesTest, NamesAndCellsAreEscapedAndLinksEncoded)
{
    ASSERT_TRUE(render("내 표.xlsx", { { "a<b", "<script>,\"&\"\n" }, { "둘", "" } }, 200));
    const std::string& first = pages["내 표.xlsx.htm"];
    EXPECT_NE(first.find("<td>&lt;script&gt;</td><td>&amp;</td>"), std::string::npos);
    EXPECT_NE(first.find("<b>a&lt;b</b>"), std::string::npos);
    EXPECT_NE(first.find("href=\"%EB%82%B4%20%ED%91%9C.xlsx.sheets/2-1.htm\""), std::string::npos);
    EXPECT_NE(pages["내 표.xlsx.sheets/2-1.htm"].find("href=\"../%EB%82%B4%20%ED%91%9C.xlsx.htm\""),
        std::string::npos);
}

TEST_F(SheetPagesTest, AWorkbookWithoutCellsHasNoPages)
{
    EXPECT_FALSE(render("empty", { { "Sheet1", "\n" }, { "Sheet2", ",,\n,\"\"\n" } }, 200));
    EXPECT_TRUE(order.empty());
    EXPECT_FALSE(render("none", {}, 200));
    // One sheet: no sheet links, one page: no page links.
    ASSERT_TRUE(render("one", { { "Only", "x\n" } }, 200));
    EXPECT_EQ(pages["one.htm"].find("<a "), std::string::npos);
}

} // namespace
} // namespace pc::convert
