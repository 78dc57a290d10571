#pragma once

// File: pc/service/tcp_socket.h
// Thin helpers over the BSD socket calls the service uses: a listening
// socket, accepting with the peer's and our own dotted address, whole sends
// and one receive. errno is converted here, once.

#include "platform/result.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pc::service {

// Listens on address:port (port 0 picks a free one) with the given backlog;
// the socket is non-blocking so that a watch never blocks on accept.
platform::IoResult<int> listenTcp(const std::string& address, std::uint16_t port, int backlog = 5);

// The port a bound socket listens on.
std::uint16_t localPortOf(int fd);

struct Accepted {
    int fd = -1;
    std::string peerAddress;  // Dotted IPv4 text.
    std::string localAddress; // The address the peer connected to.
};

// Accepts one pending connection; the new socket blocks on send (with a
// send time-out) and is read only when readable.
platform::IoResult<Accepted> acceptTcp(int listenFd);

// Sends all bytes; false on failure (including the send time-out).
bool sendAll(int fd, std::string_view bytes);

// Closes a descriptor if it is open and sets it to -1.
void closeFd(int& fd);

} // namespace pc::service
