#include "pc/service/file_search.h"
#include "pc/service/testing/service_fixture.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pc::service::testing {
namespace {

class BrowseTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        service->start();
        handheld = loggedInHandheld();
    }

    proto::PcAnswer request(std::int32_t code, const std::string& text, std::int32_t first = 11)
    {
        auto answer = ask(*handheld, { first, code, text });
        EXPECT_TRUE(answer);
        return answer.value_or(proto::PcAnswer {});
    }

    std::unique_ptr<ScriptedHandheld> handheld;
};

TEST_F(BrowseTest, FolderListingSkipsDllAndListsSizes)
{
    std::filesystem::create_directories(disk() / "Docs");
    writeFile(disk() / "a.txt", "0123456789");
    writeFile(disk() / "b.dll", "x");
    auto answer = request(306, "C:\\");
    EXPECT_EQ(answer, (proto::PcAnswer { 11, 306, ".1Docs\n0a.txt\n\n" }));
    EXPECT_EQ(readFile(root() / "serverfolder"), "1Docs\n0a.txt\n\n");
    EXPECT_EQ(readFile(root() / "serverfoldersize"), "10\n\n");
}

TEST_F(BrowseTest, EmptyOrMissingFolderGivesASingleLineBreak)
{
    std::filesystem::create_directories(disk() / "empty");
    EXPECT_EQ(request(306, "C:\\empty\\").text, ".\n");
    EXPECT_EQ(request(306, "C:\\nowhere\\").text, ".\n");
    EXPECT_EQ(request(306, "Q:\\").text, ".\n");
    EXPECT_EQ(readFile(root() / "serverfoldersize"), "\n");
}

TEST_F(BrowseTest, ListingOf900BytesTravelsAsAFileFetchedOverHttp)
{
    // Four files whose entry lines ("0" + name + "\n") and the closing "\n"
    // add up to `total` bytes.
    auto makeFolder = [&](const std::string& folder, std::size_t total) {
        std::size_t names = total - 1 - 4 * 2;
        for (int i = 0; i < 4; ++i) {
            std::size_t length = names / 4 + (i == 3 ? names % 4 : 0);
            std::string name = std::to_string(i) + std::string(length - 1, 'n');
            writeFile(disk() / folder / name, "");
        }
    };
    makeFolder("just", 899);
    makeFolder("over", 900);
    auto inlined = request(306, "C:\\just\\");
    EXPECT_EQ(inlined.text.size(), 900u);
    EXPECT_EQ(inlined.text.front(), '.');

    auto named = request(306, "C:\\over\\");
    EXPECT_EQ(named, (proto::PcAnswer { 11, 306, "serverfolder" }));
    auto fetched = httpGet(web->webPort(), "/serverfolder");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->status, 200);
    EXPECT_EQ(fetched->body.size(), 900u);
    EXPECT_EQ(fetched->body, readFile(root() / "serverfolder"));
}

TEST_F(BrowseTest, HiddenAndSystemEntriesIn306And302)
{
    writeFile(disk() / "v" / ".secret.txt", "s");
    writeFile(disk() / "v" / "x.pdf", "p");
    writeFile(disk() / "v" / "y.HTM", "h");
    std::filesystem::create_directories(disk() / "v" / ".hiddendir");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string socketPath = (disk() / "v" / "sock.txt").string();
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    EXPECT_EQ(request(306, "C:\\v\\").text, ".0x.pdf\n0y.HTM\n\n");
    EXPECT_EQ(request(302, "0C:\\v\\"), (proto::PcAnswer { 11, 302, ".1.hiddendir\n0.secret.txt\n0sock.txt\n0y.HTM\n\n" }));
    EXPECT_EQ(readFile(root() / "serverfile"), "1.hiddendir\n0.secret.txt\n0sock.txt\n0y.HTM\n\n");
    EXPECT_EQ(request(302, "1C:\\v\\"), (proto::PcAnswer { 11, 320, ".0x.pdf\n0y.HTM\n\n" }));
    ::close(fd);
}

TEST_F(BrowseTest, Mode2ListsUnderTheServiceRootOnly)
{
    writeFile(root() / "pda_ReqDoc" / "page1.bmp", "b");
    EXPECT_EQ(request(302, "2pda_ReqDoc\\"), (proto::PcAnswer { 11, 327, ".0page1.bmp\n\n" }));
    EXPECT_EQ(request(302, "2..\\..\\").text, ".\n");
    // An unknown mode writes the list but has no answer code; the next
    // request is answered normally.
    handheld->send({ 11, 302, "7C:\\" });
    EXPECT_EQ(request(306, "C:\\", 12).first, 12);
}

class SearchTest : public BrowseTest {
protected:
    void SetUp() override
    {
        BrowseTest::SetUp();
        for (int i = 0; i < 25; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "d%d/Report%02d.txt", i % 3, i);
            writeFile(disk() / "tree" / name, std::string(static_cast<std::size_t>(i), 'x'));
        }
        writeFile(disk() / "tree" / ".hidden" / "report99.txt", "h");
        writeFile(disk() / "tree" / "other.txt", "o");
    }

    std::vector<std::string> lines(const std::string& file)
    {
        std::string content = readFile(root() / file);
        EXPECT_TRUE(content.size() >= 2 && content.substr(content.size() - 2) == std::string("\n\0", 2));
        std::vector<std::string> result;
        std::size_t start = 0;
        for (std::size_t at; (at = content.find('\n', start)) != std::string::npos; start = at + 1) {
            if (at == start)
                break;
            result.push_back(content.substr(start, at - start));
        }
        return result;
    }
};

TEST_F(SearchTest, PagesThroughMatchesWithSkipAndCount)
{
    auto first = request(307, "0\n10\nC:\\tree\n\nreport");
    EXPECT_EQ(first, (proto::PcAnswer { 11, 307, "Searchfilelist\n Searchfilepath\n Searchfilesize" }));
    auto names = lines("Searchfilelist");
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "Report00.txt"); // d0 first: 00, 03, 06 ...
    auto paths = lines("Searchpathlist");
    EXPECT_EQ(paths.front(), "C:\\tree\\d0\\Report00.txt");
    EXPECT_EQ(lines("Searchsizelist").at(1), "3");
    EXPECT_EQ(progress.steps, 10);
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_EQ(progress.opened, progress.closed);

    auto second = request(307, "10\n10\nC:\\tree\n\nreport");
    EXPECT_EQ(second.first, 11);
    auto secondNames = lines("Searchfilelist");
    ASSERT_EQ(secondNames.size(), 10u);
    EXPECT_EQ(std::find(secondNames.begin(), secondNames.end(), names.back()), secondNames.end());

    auto last = request(307, "20\n10\nC:\\tree\n\nreport");
    EXPECT_EQ(last.first, 5);
    EXPECT_EQ(lines("Searchfilelist").size(), 5u);
}

TEST_F(SearchTest, PatternIsNotLowerCasedAndMissingFolderFindsNothing)
{
    EXPECT_EQ(request(307, "0\n10\nC:\\tree\n\nREPORT").first, 0);
    EXPECT_EQ(readFile(root() / "Searchfilelist"), std::string("\n\0", 2));
    EXPECT_EQ(request(307, "0\n10\nC:\\missing\n\nreport").first, 0);
}

TEST(SearchQuery, ParsesTheRequestText)
{
    struct Case {
        std::string text;
        int skip;
        int count;
        std::string folder;
        std::string pattern;
    };
    const Case cases[] = {
        { "0\n10\nC:\\tree\n\nreport", 0, 10, "C:\\tree\\", "report" },
        { "20\n5\nC:\n\na\nb", 20, 5, "C:\\", "a\nb" },
        { "3\n4\nC:\\x", 3, 4, "C:\\x\\", "" },
        { "junk", 0, 0, "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SearchQuery query = parseSearchQuery(c.text);
        EXPECT_EQ(query.skip, c.skip);
        EXPECT_EQ(query.count, c.count);
        EXPECT_EQ(query.folder, c.folder);
        EXPECT_EQ(query.pattern, c.pattern);
    }
}

} // namespace
} // namespace pc::service::testing
