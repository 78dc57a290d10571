#pragma once

// File: pc/web/head_reader.h
// Reads a request head from a connected socket: waits with poll on the time
// left, so data is taken as soon as it arrives, and gives up at once when
// the client closes before the blank line. Runs on the listener thread.

#include "pc/web/raw_socket.h"
#include "platform/result.h"

#include <string>

namespace pc::web {

enum class HeadReadError {
    TimedOut, // The head was not complete within the time-out.
    Closed, // The client closed its side before the head was complete.
    PollFailed, // Testing the socket for readability failed.
    ReceiveFailed,
    TooLarge, // Longer than kMaxHeadBytes; answered 400.
    Cancelled, // The server is stopping; the client is dropped unanswered.
};

struct HeadReadFailure {
    HeadReadError error;
    std::string held; // What had arrived, for the trace.
};

// The whole head must arrive within timeoutMs of the call: a client that
// trickles bytes cannot hold the one listener longer than that. When
// `cancelHandle` (a descriptor, or -1 for none) becomes readable, waiting
// ends at once: a stopping server need not sit out a silent client's
// time-out, and the client loses nothing it had been promised.
[[nodiscard]] platform::Result<std::string, HeadReadFailure> readHead(
    CRawSocket& socket, int timeoutMs, int cancelHandle = -1);

} // namespace pc::web
