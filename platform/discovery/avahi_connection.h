#pragma once

// File: platform/discovery/avahi_connection.h
// One client connection to the Avahi daemon with the thread that serves
// it. Callbacks run on that thread; code on other threads holds a
// PollLock while it calls into Avahi. Only this folder includes it.

#include "platform/result.h"

#include <avahi-client/client.h>
#include <avahi-common/thread-watch.h>

#include <memory>

namespace platform {

class AvahiConnection {
public:
    // Connects without waiting for a daemon that is not there.
    static IoResult<std::unique_ptr<AvahiConnection>> open(AvahiClientCallback onState, void* user);
    // Stops the thread first, so no callback runs during or after it.
    ~AvahiConnection();
    AvahiConnection(const AvahiConnection&) = delete;
    AvahiConnection& operator=(const AvahiConnection&) = delete;

    AvahiClient* client() const { return m_client; }
    AvahiThreadedPoll* poll() const { return m_poll; }
    // Frees what the owner made on this connection once the thread stands.
    void stop();

private:
    AvahiConnection() = default;
    AvahiThreadedPoll* m_poll = nullptr;
    AvahiClient* m_client = nullptr;
    bool m_stopped = false;
};

class PollLock {
public:
    explicit PollLock(const AvahiConnection& connection)
        : m_poll(connection.poll())
    {
        avahi_threaded_poll_lock(m_poll);
    }
    ~PollLock() { avahi_threaded_poll_unlock(m_poll); }
    PollLock(const PollLock&) = delete;
    PollLock& operator=(const PollLock&) = delete;

private:
    AvahiThreadedPoll* m_poll;
};

} // namespace platform
