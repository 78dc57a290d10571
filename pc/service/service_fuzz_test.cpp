// Random request texts through every handler of the command channel, and
// random blocks through the upload receiver: nothing may crash, and nothing
// may be written outside the program's folders.

#include "pc/service/file_search.h"
#include "platform/safe_name.h"
#include "pc/service/testing/service_fixture.h"

#include <random>

namespace pc::service::testing {
namespace {

std::string randomText(std::mt19937& random, std::size_t maxPieces)
{
    static const char* const kPieces[] = { "C:", "c:", "\\", "/", "..", ".", "\n", "\n\n", "0", "1", "2", "-7",
        "99999999999", "a", "x.txt", "Docs", "0xffff_f", "owner", "secret", "FILE_ERROR", " ", "\xEA\xB0\x80",
        "\xFF", "*", "Q:" };
    std::uniform_int_distribution<std::size_t> count(0, maxPieces);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kPieces) - 1);
    std::string text;
    for (std::size_t i = count(random); i > 0; --i)
        text += kPieces[pick(random)];
    return text;
}

std::vector<std::filesystem::path> filesUnder(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class ServiceFuzzTest : public ServiceFixture { };

TEST_F(ServiceFuzzTest, RandomRequestsStayInsideTheServiceFolders)
{
    writeFile(disk() / "Docs" / "x.txt", "0123");
    writeFile(disk() / "a", "a");
    const auto diskBefore = filesUnder(disk());
    const std::int32_t codes[] = { 302, 306, 307, 308, 309, 310, 311, 323, 328, 329, 332, 999 };
    std::mt19937 random(4242);
    std::uniform_int_distribution<std::size_t> code(0, std::size(codes) - 1);
    std::uniform_int_distribution<int> first(-2, 5);
    for (int round = 0; round < 400; ++round) {
        CommandContext context { first(random), codes[code(random)], randomText(random, 8), "127.0.0.1", nullptr };
        if (context.code == 302 && !context.text.empty())
            context.text.front() = static_cast<char>('0' + round % 4);
        service->dispatchTable().dispatch(context);
    }
    EXPECT_EQ(filesUnder(disk()), diskBefore);
    for (const auto& entry : std::filesystem::directory_iterator(home()))
        EXPECT_TRUE(entry.path() == disk() || entry.path() == root() || entry.path().filename() == "boxes")
            << entry.path();
    for (const auto& file : filesUnder(root() / "pda_Upload"))
        EXPECT_EQ(file.parent_path(), root() / "pda_Upload");
}

class CountingAnswers final : public AnswerSink {
public:
    void sendAnswer(const proto::PcAnswer&) override { ++count; }
    int count = 0;
};

TEST(UploadReceiverFuzz, RandomAnnouncementsAndBlocksStayInTheFolder)
{
    platform::TempFolder temp("quillon-upload-fuzz");
    std::filesystem::path home = temp.path();
    std::filesystem::path folder = home / "pda_Upload";
    std::filesystem::create_directories(folder);
    CountingAnswers answers;
    NullProgressView progress;
    {
        UploadReceiver receiver(folder, answers, progress);
        std::mt19937 random(77);
        std::uniform_int_distribution<int> step(0, 9);
        std::uniform_int_distribution<std::size_t> length(0, 1024);
        for (int round = 0; round < 3000; ++round) {
            int what = step(random);
            if (what == 0) {
                receiver.onRequest(round % 3 - 1, randomText(random, 6));
            } else if (what == 1) {
                receiver.onConnectionClosed(round % 2 + 1);
            } else if (what == 2) {
                (void)receiver.onReceived(1, std::nullopt);
            } else {
                std::string block = what == 3 ? randomText(random, 3) : std::string(length(random), 'd');
                auto ack = receiver.onReceived(round % 2 + 1, std::string_view(block)).ack;
                if (ack) {
                    EXPECT_TRUE(proto::parseUploadAck(std::string_view(ack->data(), ack->size())));
                }
            }
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(home))
        EXPECT_EQ(entry.path(), folder);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
}

TEST(ServiceParsersFuzz, SearchQueriesAndSafeNamesTakeAnyText)
{
    std::mt19937 random(5);
    for (int round = 0; round < 3000; ++round) {
        std::string text = randomText(random, 12);
        SearchQuery query = parseSearchQuery(text);
        EXPECT_LE(query.folder.size() + query.pattern.size(), text.size() + 1);
        std::string name = platform::safeFileName(platform::lastPathComponent(text));
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 255u);
        EXPECT_EQ(name.find_first_of("/\\\n"), std::string::npos);
        EXPECT_NE(name, ".");
        EXPECT_NE(name, "..");
    }
}

} // namespace
} // namespace pc::service::testing
