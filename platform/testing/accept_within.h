#pragma once

// File: platform/testing/accept_within.h
// The next connection to a test's own listener, waited for with a deadline,
// so that a test whose client never comes fails instead of hanging.
//
//     auto accepted = platform::testing::acceptWithin(listener);
//     if (!accepted)
//         return;

#include "platform/tcp_listener.h"

#include <chrono>

namespace platform::testing {

IoResult<AcceptedSocket> acceptWithin(TcpListener& listener,
    std::chrono::milliseconds timeout = std::chrono::seconds(10));

} // namespace platform::testing
