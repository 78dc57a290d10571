#include "pocket/mypc/mypc_search.h"

#include "pocket/mypc/mypc_busy.h"
#include "pocket/mypc/mypc_test_peer.h"

#include <gtest/gtest.h>

namespace pocket::mypc {
namespace {

TEST(ParseSearchList, StopsAtPageSizeEmptyLineOrLastLineFeed)
{
    using Values = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string content;
        std::size_t maxLines;
        Values expected;
    };
    const Case cases[] = {
        { "as the PC writes it", std::string("a.txt\nb.txt\n\n") + '\0', 50, { "a.txt", "b.txt" } },
        { "empty result", std::string("\n") + '\0', 50, {} },
        { "page size", "a\nb\nc\n\n", 2, { "a", "b" } },
        { "unterminated last line", "a\nb", 50, { "a" } },
        { "empty line ends the list", "a\n\nb\n", 50, { "a" } },
        { "nothing", "", 50, {} },
        { "paths keep their backslashes", "C:\\docs\\a.txt\n\n", 50, { "C:\\docs\\a.txt" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseSearchList(c.content, c.maxLines), c.expected);
    }
}

TEST(FormatSearchRequest, JoinsTheFields)
{
    EXPECT_EQ(formatSearchRequest(50, 50, "C:\\docs", "rep"), "50\n50\nC:\\docs\n\nrep");
}

class RecordingSearchView final : public SearchView {
public:
    void clearResults() override { ++clears; }
    void showResults(const std::vector<SearchRow>& shown) override { rows = shown; }
    void showResultList() override { ++switches; }

    int clears = 0;
    int switches = 0;
    std::vector<SearchRow> rows;
};

std::string lines(int from, int count, const std::string& prefix)
{
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += prefix + std::to_string(i) + "\n";
    return text + "\n" + std::string(1, '\0');
}

class MyPcSearchTest : public testing::MyPcFixture {
protected:
    void SetUp() override
    {
        m_settings.maxFileList = 50;
        connect();
    }

    // Answers the search with `count` and serves a page of `rows` rows
    // starting at `from`.
    void answerWithPage(int count, int from, int rows)
    {
        testing::FileWebServer web({ { "/Searchfilelist", { 200, lines(from, rows, "f") } },
                                       { "/Searchpathlist", { 200, lines(from, rows, "C:\\docs\\f") } },
                                       { "/Searchsizelist", { 200, lines(from, rows, "") } } },
            3);
        m_settings.pcWebPort = web.port();
        answer(count, 307, "Searchfilelist\n Searchfilepath\n Searchfilesize");
        ASSERT_TRUE(runUntil([&] { return !m_busy.isBusy(); }));
        EXPECT_EQ(web.requestedPaths(), (std::vector<std::string> { "/Searchfilelist", "/Searchpathlist", "/Searchsizelist" }));
    }

    MyPcBusy m_busy { m_ui };
    RecordingSearchView m_view;
    MyPcSearch m_search { m_link, m_settings, m_device, m_fetch, m_ui, m_busy, m_view };
};

TEST_F(MyPcSearchTest, ShowsAPageAndKnowsWhetherMoreFollow)
{
    ASSERT_TRUE(m_search.start("C:\\docs\\", "f"));
    EXPECT_EQ(nextRequest(), "0 307 0\n50\nC:\\docs\n\nf");
    EXPECT_TRUE(m_busy.isBusy());
    answerWithPage(51, 0, 50); // The PC says count + 1 when more exist.
    EXPECT_TRUE(m_search.hasMore());
    EXPECT_EQ(m_search.startIndex(), 50);
    ASSERT_EQ(m_view.rows.size(), 50u);
    EXPECT_EQ(m_view.rows[3], (SearchRow { "f3", "C:\\docs\\f3", "3" }));
    EXPECT_EQ(m_view.switches, 1);
    EXPECT_EQ(m_ui.callCount(), 0u);
}

TEST_F(MyPcSearchTest, FortyNineResultsEnableNoNextPage)
{
    ASSERT_TRUE(m_search.start("C:", "f"));
    nextRequest();
    answerWithPage(49, 0, 49);
    EXPECT_FALSE(m_search.hasMore());
    m_search.next();
    EXPECT_EQ(m_ui.lastText(), "다음 데이터가없습니다");
}

TEST_F(MyPcSearchTest, PagesForwardAndBack)
{
    ASSERT_TRUE(m_search.start("C:", "f"));
    nextRequest();
    answerWithPage(50, 0, 50);
    EXPECT_TRUE(m_search.hasMore()); // Exactly a page: the next may be empty.

    // "P" on the first page sends nothing.
    m_search.previous();
    EXPECT_EQ(m_ui.lastText(), "이전 데이터가 없습니다");
    EXPECT_FALSE(link::testing::isReadable(m_peer));

    m_search.next();
    EXPECT_EQ(nextRequest(), "0 307 50\n50\nC:\n\nf");
    answerWithPage(30, 50, 30);
    EXPECT_EQ(m_search.startIndex(), 80);
    EXPECT_EQ(m_view.rows.size(), 30u);

    m_search.previous();
    EXPECT_EQ(nextRequest(), "0 307 0\n50\nC:\n\nf");
}

TEST_F(MyPcSearchTest, NoResultsAndRefusals)
{
    EXPECT_FALSE(m_search.start("C:", ""));
    EXPECT_EQ(m_ui.lastText(), "검색어를 입력하세요!");

    ASSERT_TRUE(m_search.start("C:", "zzz"));
    nextRequest();
    EXPECT_TRUE(m_search.start("C:", "again"));
    EXPECT_EQ(m_ui.lastText(), "현재 다른 명령을 수행중입니다. 잠시만 기다려주세요.");
    answer(0, 307, "Searchfilelist\n Searchfilepath\n Searchfilesize");
    ASSERT_TRUE(runUntil([&] { return !m_busy.isBusy(); }));
    EXPECT_EQ(m_ui.lastText(), "해당 데이터가 없거나 더이상 검색할 데이터가 없습니다.");
}

TEST_F(MyPcSearchTest, FailedFetchClearsBusy)
{
    ASSERT_TRUE(m_search.start("C:", "f"));
    nextRequest();
    m_settings.pcWebPort = link::testing::closedLoopbackPort();
    answer(3, 307, "");
    ASSERT_TRUE(runUntil([&] { return !m_busy.isBusy(); }));
    EXPECT_EQ(m_ui.lastText(), "파일 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!");
}

TEST_F(MyPcSearchTest, WithoutConnectionTheDialogSaysSo)
{
    m_link.resetConnection(false);
    EXPECT_TRUE(m_search.start("C:", "f"));
    EXPECT_EQ(m_ui.lastText(), "서버에 연결이 안된 상태입니다.");
}

} // namespace
} // namespace pocket::mypc
