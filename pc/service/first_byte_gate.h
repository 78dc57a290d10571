#pragma once

// File: pc/service/first_byte_gate.h
// The first-byte decision (platform/tls/secure_link.h) for the connections
// of the command and upload ports, which the window thread's loop watches:
// a private connection's socket becomes the relay's clear end, and the loop
// is told to watch that instead. A refused connection is closed and its
// owner told (letIn). Owned by its connection; window thread.

#include "platform/event_loop.h"
#include "platform/tls/secure_link.h"

namespace pc::service {

class FirstByteGate {
public:
    enum class Pass {
        Read, // Read the socket now.
        Wait, // Nothing to read yet (undecided, or a handshake under way).
        Refuse, // Close the connection.
    };

    explicit FirstByteGate(platform::SecureLinkServer* secureLink)
        : m_secureLink(secureLink)
    {
    }

    // Called when `socket` turns readable, before reading it. `callbacks`
    // are watched on the new descriptor when the socket is swapped.
    Pass pass(platform::EventLoop& loop, platform::SocketFd& socket, const platform::SocketCallbacks& callbacks);
    bool isPrivate() const { return m_isPrivate; }

    // pass() for a connection of either port: true when its socket is to be
    // read now. A refused connection is closed, then its owner hears
    // events.onRefused and events.onClosed.
    template <class Connection, class Events>
    bool letIn(platform::EventLoop& loop, platform::SocketFd& socket, const platform::SocketCallbacks& callbacks,
        Connection& connection, const Events& events)
    {
        switch (pass(loop, socket, callbacks)) {
        case Pass::Read:
            return true;
        case Pass::Wait:
            return false;
        case Pass::Refuse:
            break;
        }
        connection.close();
        if (events.onRefused)
            events.onRefused(connection);
        if (events.onClosed)
            events.onClosed(connection);
        return false;
    }

private:
    platform::SecureLinkServer* m_secureLink;
    bool m_decided = false;
    bool m_isPrivate = false;
};

} // namespace pc::service
