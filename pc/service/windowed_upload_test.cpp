// The windowed upload of the private link through the real service: agreed
// at log-in only inside TLS, frames on a private upload connection, and an
// upload cut anywhere that continues from what the PC holds.

#include "pc/service/testing/secure_service_fixture.h"
#include "platform/tls/file_digest.h"
#include "proto/upload_frames.h"

#include <atomic>
#include <fcntl.h>
#include <random>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

namespace pc::service::testing {
namespace {

using proto::FrameType;
using namespace std::chrono_literals;

std::string randomContent(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string content(size, '\0');
    for (char& c : content)
        c = static_cast<char>(random());
    return content;
}

// The frames of `content` from `from` on, in blocks of the largest size.
std::string dataFrames(const std::string& content, std::size_t from)
{
    std::string frames;
    for (std::size_t at = from; at < content.size(); at += proto::kMaxDataBytes) {
        std::string_view block = std::string_view(content).substr(at, proto::kMaxDataBytes);
        frames += proto::frameHead(FrameType::Data, block.size()) + std::string(block);
    }
    return frames;
}

class WindowedUploadTest : public SecureServiceFixture {
protected:
    std::unique_ptr<ScriptedHandheld> privateSession()
    {
        auto handheld = privateHandheld();
        if (!handheld)
            return nullptr;
        auto yes = askSettled(*handheld, { 0, 310, "owner\nsecret" });
        EXPECT_TRUE(yes && yes->text.starts_with("YES"));
        EXPECT_TRUE(awaitSettled(*handheld)); // The first probe.
        auto offered = askSettled(*handheld, { 1, proto::kCodeLinkFeatures, "upload-window" });
        EXPECT_EQ(offered, (proto::PcAnswer { 1, proto::kCodeLinkFeatures, "upload-window" }));
        return handheld;
    }

    platform::SocketFd uploadLink()
    {
        auto link = connectPrivately(service->uploadPort());
        EXPECT_TRUE(link);
        return link ? std::move(link->clear) : platform::SocketFd();
    }

    // The totals acknowledged on `fd` until `until` arrives or the PC closes.
    std::vector<std::uint64_t> acksUntil(int fd, std::uint64_t until)
    {
        proto::FrameReader reader;
        std::vector<std::uint64_t> totals;
        bool closed = false;
        pumpUntilSettled([&] {
            char buffer[4096];
            ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            closed = got == 0;
            if (got > 0)
                reader.feed(std::string_view(buffer, static_cast<std::size_t>(got)));
            proto::Frame frame;
            while (reader.next(frame) == proto::FrameReader::Status::Frame)
                totals.push_back(proto::frameNumber(frame).value_or(0));
            return closed || (!totals.empty() && totals.back() >= until);
        });
        return totals;
    }

    // What the handheld does with the announcement's answer: continue when
    // the PC's part is the beginning of its file, else start from zero.
    std::uint64_t startFor(const proto::PcAnswer& answer, const std::string& content)
    {
        auto held = proto::parseHeldAnswer(answer.text);
        EXPECT_TRUE(held) << answer.text;
        if (!held || held->held > content.size())
            return 0;
        writeFile(home() / "handheld.bin", content);
        int fd = ::open((home() / "handheld.bin").c_str(), O_RDONLY | O_CLOEXEC);
        auto mine = platform::sha256OfPrefix(fd, held->held);
        ::close(fd);
        return mine == held->sha256Hex ? held->held : 0;
    }

    // Sends from a thread of its own, in pieces of `piece` bytes, while the
    // service's loop runs here.
    std::thread sendInPieces(int fd, std::string bytes, std::size_t piece, std::atomic<bool>* done = nullptr)
    {
        return std::thread([fd, bytes = std::move(bytes), piece, done] {
            for (std::size_t at = 0; at < bytes.size(); at += piece) {
                if (!platform::sendAll(fd, std::string_view(bytes).substr(at, piece)))
                    break;
            }
            if (done)
                *done = true;
        });
    }

    std::filesystem::path uploaded() { return root() / "pda_Upload" / "movie.bin"; }
};

TEST_F(WindowedUploadTest, OfferedOnlyInsideThePrivateLink)
{
    // A clear session asks in vain and keeps the lock-step upload, byte for
    // byte, even when its announcement carries the window line.
    auto clear = loggedInHandheld("127.0.0.2");
    clear->send({ 1, proto::kCodeLinkFeatures, "upload-window" });
    auto next = ask(*clear, { 0, 309, "5\nclear.txt\nowner\nwindow" });
    EXPECT_EQ(next, (proto::PcAnswer { 0, 309, "" }));
    auto upload = ScriptedUpload::connect(service->uploadPort(), "127.0.0.2");
    pumpUntil([&] { return service->uploadConnectionCount() == 1; });
    upload->sendBlock("hello");
    pumpUntil([&] { return upload->pump(), !upload->acks().empty(); });
    EXPECT_EQ(upload->acks(), (std::vector<std::int32_t> { 5 }));

    // The private session is offered the window; another log-in starts
    // without it until asked again.
    auto secure = privateSession();
    ASSERT_TRUE(secure);
    EXPECT_TRUE(log.contains(std::string(kPrivateLoginLine)));
}

TEST_F(WindowedUploadTest, CutsAtRandomOffsetsContinueToTheSameFile)
{
    const std::string content = randomContent(900 * 1024 + 77, 11);
    // A different file of that name waits on the PC: its bytes are not the
    // beginning of this one, so the first try starts from zero.
    writeFile(uploaded(), randomContent(5000, 12));
    auto handheld = privateSession();
    ASSERT_TRUE(handheld);
    const std::string announce = std::to_string(content.size()) + "\nmovie.bin\nowner\nwindow";
    std::mt19937 random(13);
    for (int cut = 0; cut < 4; ++cut) {
        SCOPED_TRACE(cut);
        auto answer = askSettled(*handheld, { 0, 309, announce });
        ASSERT_TRUE(answer && answer->first == 0);
        const std::uint64_t from = startFor(*answer, content);
        EXPECT_EQ(from, cut == 0 ? 0 : std::filesystem::file_size(uploaded()));
        auto link = uploadLink();
        std::string stream = proto::numberFrame(FrameType::Start, from) + dataFrames(content, from);
        // Closed somewhere in the stream, mid-frame as likely as not.
        std::size_t sent = 1 + random() % (stream.size() / 2);
        std::atomic<bool> sentAll { false };
        std::thread sender = sendInPieces(link.fd(), stream.substr(0, sent), 64 * 1024, &sentAll);
        pumpUntilSettled([&] { return sentAll.load(); });
        sender.join();
        pumpUntilSettled([] { return false; }, 50ms); // Some of it is read, maybe not all.
        link.reset();
        ASSERT_TRUE(pumpUntilSettled([&] { return !service->uploads().isInProgress(); }));
        // Nothing that arrived whole is lost; the part is the file's beginning.
        std::string held = readFile(uploaded());
        EXPECT_EQ(held, content.substr(0, held.size()));
    }
    auto answer = askSettled(*handheld, { 0, 309, announce });
    ASSERT_TRUE(answer);
    const std::uint64_t from = startFor(*answer, content);
    EXPECT_GT(from, 0u);
    auto link = uploadLink();
    // The rest in pieces of 1000 bytes: frames split across sends.
    std::string stream = proto::numberFrame(FrameType::Start, from) + dataFrames(content, from)
        + proto::frameHead(FrameType::End, 0);
    std::thread sender = sendInPieces(link.fd(), stream, 1000);
    auto acks = acksUntil(link.fd(), content.size());
    sender.join();
    ASSERT_FALSE(acks.empty());
    EXPECT_EQ(acks.back(), content.size());
    EXPECT_TRUE(std::is_sorted(acks.begin(), acks.end()));
    auto done = awaitSettled(*handheld);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->first, 1);
    EXPECT_EQ(done->code, 309);
    EXPECT_EQ(readFile(uploaded()), content);
}

TEST_F(WindowedUploadTest, AStartBeyondWhatThePcHoldsIsClosed)
{
    writeFile(uploaded(), "0123456789");
    auto handheld = privateSession();
    ASSERT_TRUE(handheld);
    auto answer = askSettled(*handheld, { 0, 309, "20\nmovie.bin\nowner\nwindow" });
    ASSERT_TRUE(answer);
    EXPECT_EQ(proto::parseHeldAnswer(answer->text).value().held, 10u);
    auto link = uploadLink();
    ASSERT_TRUE(platform::sendAll(link.fd(), proto::numberFrame(FrameType::Start, 11)));
    EXPECT_TRUE(acksUntil(link.fd(), 1).empty()); // Closed without an acknowledgement.
    EXPECT_FALSE(service->uploads().isInProgress());
    EXPECT_EQ(readFile(uploaded()), "0123456789");
}

} // namespace
} // namespace pc::service::testing
