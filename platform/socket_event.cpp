#include "platform/socket_event.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace platform {

SocketEvent classifySocketEvent(int fd, bool readable, bool hangUp)
{
    if (!readable)
        return hangUp ? SocketEvent::Closed : SocketEvent::None;
    char probe;
    ssize_t peeked = ::recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked > 0)
        return SocketEvent::Readable;
    if (peeked == 0)
        return SocketEvent::Closed;
    switch (errno) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINTR:
        return SocketEvent::None;
    case ENOTSOCK: {
        // A pipe, terminal or file: at its end a hang-up comes with nothing queued.
        int queued = 0;
        if (hangUp && ::ioctl(fd, FIONREAD, &queued) == 0 && queued == 0)
            return SocketEvent::Closed;
        return SocketEvent::Readable;
    }
    default:
        return SocketEvent::Closed;
    }
}

} // namespace platform
