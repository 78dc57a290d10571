#pragma once

// File: platform/socket_event.h
// What a readiness report on a watched descriptor means, the same way for
// every EventLoop. A stream socket whose peer has closed is "readable" with
// nothing to read: that is Closed, but only once the data that arrived before
// the close has been read, as Windows sends its read notifications before the
// close notification. Pipes and terminals end with a hang-up and nothing left.

namespace platform {

enum class SocketEvent {
    None, // Spurious or interrupted: nothing to report.
    Readable,
    Closed,
};

// `readable` and `hangUp` as poll() (POLLIN, POLLHUP/POLLERR) or a socket
// notifier reported them. Does not consume any data.
SocketEvent classifySocketEvent(int fd, bool readable, bool hangUp);

} // namespace platform
