#pragma once

// File: platform/queued_message.h
// A message waiting in an event loop's queue, as PollEventLoop and the GUI's
// loop keep them: the target is checked alive (by its serial) at delivery,
// and a send() from another thread waits on the promise of the answer.

#include "platform/event_loop.h"

#include <cstdint>
#include <future>
#include <memory>

namespace platform {

struct QueuedMessage {
    MessageTarget* target = nullptr;
    std::uint64_t serial = 0;
    int msg = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::shared_ptr<std::promise<LResult>> reply; // Set for send() from another thread.

    // Delivers the message when its target still lives and answers a waiting
    // sender (0 when the target is gone). False when the target was gone.
    bool deliver()
    {
        LResult result = 0;
        bool alive = MessageTarget::isAlive(target, serial);
        if (alive)
            result = target->onMessage(msg, wParam, lParam);
        if (reply)
            reply->set_value(result);
        return alive;
    }

    // Answers a waiting sender with 0 without delivering: the loop is ending.
    void drop()
    {
        if (reply)
            reply->set_value(0);
    }
};

} // namespace platform
