#include "platform/discovery/avahi_connection.h"

#include <avahi-common/error.h>

namespace platform {

IoResult<std::unique_ptr<AvahiConnection>> AvahiConnection::open(AvahiClientCallback onState, void* user)
{
    std::unique_ptr<AvahiConnection> connection(new AvahiConnection);
    connection->m_poll = avahi_threaded_poll_new();
    if (!connection->m_poll)
        return Error { ErrorCode::IoError, "Avahi: cannot make its thread", 0 };
    int error = 0;
    // No AVAHI_CLIENT_NO_FAIL: without a daemon this fails at once.
    connection->m_client = avahi_client_new(avahi_threaded_poll_get(connection->m_poll), AvahiClientFlags(0),
        onState, user, &error);
    if (!connection->m_client)
        return Error { ErrorCode::Unavailable, std::string("Avahi: ") + avahi_strerror(error), 0 };
    if (avahi_threaded_poll_start(connection->m_poll) < 0)
        return Error { ErrorCode::IoError, "Avahi: cannot start its thread", 0 };
    return connection;
}

void AvahiConnection::stop()
{
    if (m_poll && !m_stopped) {
        avahi_threaded_poll_stop(m_poll);
        m_stopped = true;
    }
}

AvahiConnection::~AvahiConnection()
{
    stop();
    if (m_client)
        avahi_client_free(m_client);
    if (m_poll)
        avahi_threaded_poll_free(m_poll);
}

} // namespace platform
