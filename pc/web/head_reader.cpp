#include "pc/web/head_reader.h"

#include "pc/web/head_buffer.h"

#include <algorithm>
#include <chrono>

namespace pc::web {

platform::Result<std::string, HeadReadFailure> readHead(CRawSocket& socket, int timeoutMs)
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
        auto readable = socket.isReadable(static_cast<int>(left));
        if (!readable)
            return fail(HeadReadError::PollFailed);
        if (!*readable)
            continue;
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
