// The part a continued upload holds is hashed off the window thread: the
// loop goes on serving meanwhile, the answer follows when the hash is
// done, and an upload that ends first never gets it.

#include "pc/service/testing/service_fixture.h"
#include "pc/service/upload_receiver.h"
#include "platform/poll_event_loop.h"
#include "platform/tls/file_digest.h"
#include "platform/tls/prefix_digest.h"
#include "proto/command_codes.h"
#include "proto/upload_frames.h"

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace pc::service::testing {
namespace {

using namespace std::chrono_literals;

class RecordingAnswers final : public AnswerSink {
public:
    void sendAnswer(const proto::PcAnswer& answer) override { sent.push_back(answer); }
    std::vector<proto::PcAnswer> sent;
};

class Probe final : public platform::MessageTarget {
public:
    platform::LResult onMessage(int, platform::WParam, platform::LParam) override
    {
        ++handled;
        return 0;
    }
    int handled = 0;
};

class PrefixDigestTest : public ::testing::Test {
protected:
    PrefixDigestTest()
    {
        receiver.setWindowAllowed(true);
        receiver.setDigest(&digest);
    }

    // The file the PC holds, and its SHA-256 as any reader makes it.
    std::string hold(const std::string& name, std::size_t size)
    {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            content[i] = static_cast<char>(i * 7 + i / 4096);
        std::ofstream(temp.path() / name, std::ios::binary) << content;
        int fd = ::open((temp.path() / name).c_str(), O_RDONLY | O_CLOEXEC);
        auto hex = platform::sha256OfPrefix(fd, size).value_or("");
        ::close(fd);
        return hex;
    }

    platform::SystemClock clock;
    platform::PollEventLoop loop { clock };
    platform::TempFolder temp { "quillon-prefix-digest" };
    RecordingAnswers answers;
    RecordingProgress progress;
    std::atomic<bool> released { false };
    std::atomic<int> hashing { 0 };
    // The real hash, held back until the test releases it (or told to stop).
    platform::PrefixDigest digest { loop, [this](int fd, std::uint64_t bytes, const std::atomic<bool>& stop) {
                             ++hashing;
                             while (!released && !stop)
                                 std::this_thread::sleep_for(1ms);
                             return platform::sha256OfPrefix(fd, bytes, &stop);
                         } };
    UploadReceiver receiver { temp.path(), answers, progress };
};

TEST_F(PrefixDigestTest, TheLoopServesWhileTheHeldPartIsHashedAndTheAnswerFollows)
{
    const std::string expected = hold("movie.bin", 3 * 1024 * 1024 + 5);
    receiver.onRequest(0, "9000000\nmovie.bin\nowner\nwindow");
    EXPECT_TRUE(receiver.isInProgress());
    EXPECT_TRUE(answers.sent.empty()); // Not before the hash is done.

    // Other work of the window thread goes on while the hash runs.
    for (int wait = 0; wait < 10000 && hashing == 0; ++wait)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(hashing.load(), 1);
    Probe probe;
    loop.post(&probe, 1);
    ASSERT_TRUE(loop.runUntil([&] { return probe.handled == 1; }, 10s));
    EXPECT_TRUE(answers.sent.empty());

    released = true;
    ASSERT_TRUE(loop.runUntil([&] { return !answers.sent.empty(); }, 10s));
    ASSERT_EQ(answers.sent.size(), 1u);
    EXPECT_EQ(answers.sent[0], (proto::PcAnswer { 0, 309, proto::formatHeldAnswer(3 * 1024 * 1024 + 5, expected) }));
    // The upload continues from there as ever.
    auto result = receiver.onReceived(1, proto::numberFrame(proto::FrameType::Start, 3 * 1024 * 1024 + 5));
    EXPECT_FALSE(result.closeConnection);
    EXPECT_TRUE(receiver.isInProgress());
}

TEST_F(PrefixDigestTest, AnUploadThatEndsBeforeItsHashNeverGetsTheAnswer)
{
    hold("movie.bin", 200000);
    receiver.onRequest(0, "900000\nmovie.bin\nowner\nwindow");
    // Another announcement takes over (nothing held: answered at once)...
    receiver.onRequest(0, "10\nnew.bin\nowner\nwindow");
    ASSERT_EQ(answers.sent.size(), 1u);
    // (The SHA-256 of nothing.)
    EXPECT_EQ(answers.sent[0].text,
        proto::formatHeldAnswer(0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    // ...then the cancel word ends that one too, while a hash of a third runs.
    hold("third.bin", 100000);
    receiver.onRequest(0, "900000\nthird.bin\nowner\nwindow");
    receiver.onRequest(0, std::string(proto::kUploadCancelWord));
    released = true;
    Probe probe;
    loop.post(&probe, 1);
    ASSERT_TRUE(loop.runUntil([&] { return probe.handled == 1; }, 10s));
    EXPECT_EQ(answers.sent.size(), 1u); // No late answer for either.
    EXPECT_FALSE(receiver.isInProgress());
}

} // namespace
} // namespace pc::service::testing
