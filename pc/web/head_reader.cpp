#include "pc/web/head_reader.h"

#include "pc/web/head_buffer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>

namespace pc::web {
namespace {

enum class Wait {
    Readable,
    Idle, // Nothing yet (time-out or interrupted wait); look at the clock again.
    Cancelled,
    Failed,
};

Wait waitForData(CRawSocket& socket, int timeoutMs, int cancelHandle)
{
    if (cancelHandle < 0) {
        auto readable = socket.isReadable(timeoutMs);
        if (!readable)
            return Wait::Failed;
        return *readable ? Wait::Readable : Wait::Idle;
    }
    pollfd waits[2] = { { socket.handle(), POLLIN, 0 }, { cancelHandle, POLLIN, 0 } };
    int ready = ::poll(waits, 2, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? Wait::Idle : Wait::Failed;
    if (waits[1].revents != 0)
        return Wait::Cancelled;
    return ready > 0 ? Wait::Readable : Wait::Idle;
}

} // namespace

platform::Result<std::string, HeadReadFailure> readHead(CRawSocket& socket, int timeoutMs, int cancelHandle)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    HeadBuffer buffer;
    char chunk[4096];
    auto fail = [&](HeadReadError error) {
        return platform::unexpected(HeadReadFailure { error, std::string(buffer.held()) });
    };
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return fail(HeadReadError::TimedOut);
        switch (waitForData(socket, static_cast<int>(left), cancelHandle)) {
        case Wait::Failed:
            return fail(HeadReadError::PollFailed);
        case Wait::Cancelled:
            return fail(HeadReadError::Cancelled);
        case Wait::Idle:
            continue;
        case Wait::Readable:
            break;
        }
        auto received = socket.receive(chunk, std::min(sizeof chunk, buffer.readHint()));
        if (!received)
            return fail(HeadReadError::ReceiveFailed);
        if (*received == 0)
            return fail(HeadReadError::Closed);
        switch (buffer.feed(std::string_view(chunk, *received))) {
        case HeadBuffer::State::Complete:
            return std::string(buffer.head());
        case HeadBuffer::State::TooLarge:
            return fail(HeadReadError::TooLarge);
        case HeadBuffer::State::Incomplete:
            break;
        }
    }
}

} // namespace pc::web
