// Cut downloads continue where they broke: a scripted web server that
// answers Range and If-Range as the PC's does, and cuts its answers where
// a test says.

#include "pocket/mypc/mypc_transfer.h"
#include "pocket/mypc/part_download.h"
#include "pocket/mypc/transfer_progress_text.h"

#include "pocket/link/fetch_to_file.h"
#include "pocket/mypc/mypc_test_peer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

namespace pocket::mypc {
namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion = "Tue, 01 Jan 2002 10:00:00 GMT";
constexpr const char* kLaterDate = "Tue, 01 Jan 2002 10:00:05 GMT";

// Serves one file to one request per connection, like the PC's web server:
// 206 for "Range: bytes=N-" while If-Range names its version, 416 at or past
// the end, 200 with the whole file otherwise. Each answer's body may be cut
// after a number of bytes.
class RangePeer {
public:
    RangePeer(std::string body, std::string version, std::string date = kLaterDate)
        : m_body(std::move(body))
        , m_version(std::move(version))
        , m_date(std::move(date))
    {
    }
    ~RangePeer()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    std::uint16_t port() const { return m_listener.port(); }
    // Serves the next `requests` requests, cutting each body after `cut` bytes.
    void serveNext(std::size_t cut = std::string::npos, int requests = 1)
    {
        if (m_thread.joinable())
            m_thread.join();
        m_thread = std::thread([this, cut, requests] {
            for (int i = 0; i < requests; ++i)
                serve(cut);
        });
    }
    std::string lastHead()
    {
        if (m_thread.joinable())
            m_thread.join();
        return m_head;
    }
    void setBody(std::string body, std::string version)
    {
        m_body = std::move(body);
        m_version = std::move(version);
    }

private:
    static std::string header(const std::string& head, const std::string& name)
    {
        std::size_t at = head.find("\r\n" + name + ": ");
        if (at == std::string::npos)
            return {};
        at += name.size() + 4;
        return head.substr(at, head.find("\r\n", at) - at);
    }
    void serve(std::size_t cut)
    {
        int fd = m_listener.accept();
        if (fd < 0)
            return;
        m_head.clear();
        char c = 0;
        while (!m_head.ends_with("\r\n\r\n") && ::recv(fd, &c, 1, 0) == 1)
            m_head += c;
        std::string range = header(m_head, "Range");
        std::string ifRange = header(m_head, "If-Range");
        std::uint64_t from = 0;
        bool partial = range.starts_with("bytes=") && (ifRange.empty() || ifRange == m_version);
        if (partial)
            from = std::stoull(range.substr(6));
        std::string answer;
        std::string body = m_body;
        if (partial && from >= m_body.size()) {
            answer = "HTTP/1.0 416 Requested Range Not Satisfiable\r\nContent-Range: bytes */"
                + std::to_string(m_body.size()) + "\r\nContent-Length: 0\r\n";
            body.clear();
        } else if (partial) {
            body = m_body.substr(from);
            answer = "HTTP/1.0 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-"
                + std::to_string(m_body.size() - 1) + "/" + std::to_string(m_body.size())
                + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
        } else {
            answer = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
        }
        answer += "Date: " + m_date + "\r\nLast-Modified: " + m_version + "\r\n\r\n";
        link::testing::sendAll(fd, answer + body.substr(0, std::min(cut, body.size())));
        ::close(fd);
    }

    link::testing::LoopbackListener m_listener;
    std::string m_body;
    std::string m_version;
    std::string m_date;
    std::thread m_thread;
    std::string m_head;
};

std::string randomBody(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string body(size, '\0');
    for (char& c : body)
        c = static_cast<char>(random());
    return body;
}

class PartDownloadTest : public testing::MyPcFixture {
protected:
    TransferRequest request(std::uint16_t port)
    {
        return { 0, TransferKind::PcFile, "127.0.0.1:" + std::to_string(port) + "\\pda_Download\\f.bin", "f.bin", 0 };
    }
    TransferOutcome download(RangePeer& peer, std::size_t cut = std::string::npos)
    {
        peer.serveNext(cut);
        m_outcome.reset();
        EXPECT_TRUE(m_runner.start(request(peer.port()), kActivitySaveFile));
        EXPECT_TRUE(runUntil([&] { return m_outcome.has_value(); }));
        return m_outcome.value_or(TransferOutcome::Cancelled);
    }
    fs::path destination() { return m_runner.destinationOf(request(0)); }
    fs::path part() { return PartDownload::partPathOf(destination()); }

    class NoProgress final : public ProgressView {
    public:
        std::vector<std::string> resumed;

    private:
        void setResumedLine(const std::string& text) override { resumed.push_back(text); }
        void openProgress(const std::string&) override { }
        void setTotalLine(const std::string&) override { }
        void setDoneLine(const std::string&) override { }
        void setBar(int) override { }
        void closeProgress() override { }
    } m_progress;
    TransferRunner m_runner { m_loop, m_ui, m_settings, m_device, m_progress };
    std::optional<TransferOutcome> m_outcome;

    void SetUp() override
    {
        m_runner.setFinishedHandler([this](TransferOutcome outcome) { m_outcome = outcome; });
    }
};

TEST_F(PartDownloadTest, CutsAtRandomOffsetsEndInTheSameFile)
{
    for (unsigned seed : { 1u, 2u, 3u }) {
        SCOPED_TRACE(seed);
        const std::string body = randomBody(150000 + seed * 777, seed);
        RangePeer peer(body, kVersion);
        std::mt19937 random(seed);
        std::size_t have = 0;
        int cuts = 0;
        // Each try brings a random share of what is left, and breaks.
        while (body.size() - have > 1000 && cuts < 6) {
            std::size_t cut = 1 + random() % (body.size() - have - 1);
            ASSERT_EQ(download(peer, cut), TransferOutcome::Broken);
            ++cuts;
            have += cut;
            ASSERT_EQ(fs::file_size(part()), have);
            EXPECT_FALSE(fs::exists(destination()));
            // The first try asks for the whole file, the others for the rest of its version.
            EXPECT_EQ(peer.lastHead().find("If-Range: " + std::string(kVersion)) != std::string::npos, cuts > 1);
        }
        ASSERT_EQ(download(peer), TransferOutcome::Saved);
        EXPECT_NE(peer.lastHead().find("Range: bytes=" + std::to_string(have) + "-"), std::string::npos);
        // Every try after the first said where it continued from.
        ASSERT_EQ(m_progress.resumed.size(), static_cast<std::size_t>(cuts));
        EXPECT_EQ(m_progress.resumed.back(), resumedLine(TransferDirection::Received, static_cast<std::int64_t>(have)));
        m_progress.resumed.clear();
        EXPECT_EQ(readFile(destination()), body);
        EXPECT_FALSE(fs::exists(part()));
        EXPECT_FALSE(fs::exists(PartDownload::infoPathOf(destination())));
        fs::remove(destination());
    }
}

TEST_F(PartDownloadTest, AChangedFileStartsAgainFromZero)
{
    RangePeer peer(randomBody(60000, 7), kVersion);
    ASSERT_EQ(download(peer, 25000), TransferOutcome::Broken);
    // The PC's file changed meanwhile: the server sends it whole.
    const std::string changed = randomBody(61000, 8);
    peer.setBody(changed, "Wed, 02 Jan 2002 10:00:00 GMT");
    ASSERT_EQ(download(peer), TransferOutcome::Saved);
    EXPECT_EQ(readFile(destination()), changed);
}

TEST_F(PartDownloadTest, APartBeyondTheFileOrAnotherRangeIsFetchedWhole)
{
    // The part claims a longer file of the same version: 416, then the whole.
    const std::string body = randomBody(5000, 9);
    RangePeer peer(body, kVersion);
    std::string url = link::lowerCaseSchemeAndHost(
        "http://127.0.0.1:" + std::to_string(peer.port()) + "/pda_Download/f.bin");
    fs::create_directories(destination().parent_path());
    auto plant = [&](std::size_t partSize, std::uint64_t total) {
        std::ofstream(part(), std::ios::binary) << std::string(partSize, 'p');
        std::ofstream(PartDownload::infoPathOf(destination())) << "quillon-part 1\n" << url << "\n" << total << "\n"
                                                               << kVersion << "\n";
    };
    plant(6000, 9000);
    peer.serveNext(std::string::npos, 2); // 416, then the whole file.
    m_outcome.reset();
    ASSERT_TRUE(m_runner.start(request(peer.port()), kActivitySaveFile));
    ASSERT_TRUE(runUntil([&] { return m_outcome.has_value(); }));
    EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
    EXPECT_EQ(readFile(destination()), body);
    EXPECT_EQ(peer.lastHead().find("Range:"), std::string::npos);
    EXPECT_TRUE(m_progress.resumed.empty()); // Nothing was continued.

    // A 206 for a file of another size: the part goes, the file comes whole.
    fs::remove(destination());
    plant(100, 4000);
    peer.serveNext(std::string::npos, 2);
    m_outcome.reset();
    ASSERT_TRUE(m_runner.start(request(peer.port()), kActivitySaveFile));
    ASSERT_TRUE(runUntil([&] { return m_outcome.has_value(); }));
    EXPECT_EQ(*m_outcome, TransferOutcome::Saved);
    EXPECT_EQ(readFile(destination()), body);
}

TEST_F(PartDownloadTest, OnlyAPartOfANamedVersionIsKept)
{
    // A response dated in the second its file was written names no version:
    // a cut leaves nothing to continue, and the next try starts from zero.
    const std::string body = randomBody(40000, 4);
    RangePeer peer(body, kVersion, kVersion);
    ASSERT_EQ(download(peer, 10000), TransferOutcome::Broken);
    EXPECT_FALSE(fs::exists(part()));
    ASSERT_EQ(download(peer), TransferOutcome::Saved);
    EXPECT_EQ(peer.lastHead().find("Range:"), std::string::npos);
    EXPECT_EQ(readFile(destination()), body);

    // A cut download of a new version leaves the file it would replace as it
    // was until the whole new one has arrived.
    RangePeer other(randomBody(40000, 5), kVersion);
    ASSERT_EQ(download(other, 10000), TransferOutcome::Broken);
    EXPECT_TRUE(fs::exists(part()));
    EXPECT_EQ(readFile(destination()), body);
}

TEST(ContentRange, ReadsOnlyAWholeByteRange)
{
    ContentRange range;
    ASSERT_TRUE(parseContentRange("bytes 10-99/100", range));
    EXPECT_EQ(range.first, 10u);
    EXPECT_EQ(range.last, 99u);
    EXPECT_EQ(range.total, 100u);
    for (std::string_view bad : { "bytes */100", "bytes 10-9/100", "bytes 0-100/100", "items 0-1/2", "bytes 1-2/", "bytes -1-2/3" })
        EXPECT_FALSE(parseContentRange(bad, range)) << bad;
}

} // namespace
} // namespace pocket::mypc
