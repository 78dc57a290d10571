#pragma once

// File: platform/testing/loopback_port.h
// Ports of 127.0.0.1 for tests. A server of the test's own listens on port 0
// and reads the port back (platform::TcpListener::port); these are for the
// rest: a server started as another process, which must be told its port
// beforehand, and a port where connections are refused.
//
//     auto port = platform::testing::freeLoopbackPort();
//     startServer("--port", std::to_string(port));

#include <cstdint>

namespace platform::testing {

// A port of 127.0.0.1 that is free at the moment of the call. It lies below
// the system's ephemeral range, so that no outgoing connection (of this test
// or of one running beside it) takes it before the server binds it, and the
// calls of one process hand out each port once.
std::uint16_t freeLoopbackPort();

// A port of 127.0.0.1 where connections are refused: bound for the life of
// the process but never listening, so nothing else can take it meanwhile.
std::uint16_t closedLoopbackPort();

} // namespace platform::testing
