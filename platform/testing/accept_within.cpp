#include "platform/testing/accept_within.h"

#include <poll.h>

namespace platform::testing {

IoResult<AcceptedSocket> acceptWithin(TcpListener& listener, std::chrono::milliseconds timeout)
{
    pollfd wait { listener.fd(), POLLIN, 0 };
    if (::poll(&wait, 1, static_cast<int>(timeout.count())) <= 0)
        return Error { ErrorCode::Timeout, "no connection came", 0 };
    return listener.accept();
}

} // namespace platform::testing
