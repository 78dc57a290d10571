#pragma once

// File: pocket/link/request_number.h
// The number of a request that waits for its answer, with its time-out. The
// current number goes out as the request's first field; an answer carrying
// it is accepted once, any other is ignored. When the time-out comes first
// the number moves on, so a late answer is ignored too. Counting starts at 10.
// Window thread only; the time-out arrives as a message to the owner, which
// passes it to onTimeout().

#include "platform/event_loop.h"

#include <chrono>

namespace pocket::link {

class RequestNumber {
public:
    static constexpr int kFirstNumber = 10;
    static constexpr std::chrono::milliseconds kDefaultTimeout { 60000 };

    // `timeoutMessage` is posted to `owner` with the number as wParam.
    RequestNumber(platform::EventLoop& loop, platform::MessageTarget& owner, int timeoutMessage);
    ~RequestNumber();

    int current() const { return m_current; }
    bool isWaiting() const { return m_waiting; }

    // After a successful send of a request numbered current().
    void startTimer(std::chrono::milliseconds timeout = kDefaultTimeout);
    // True when the answer's first field is the current number: the timer
    // stops and the number moves on.
    bool acceptAnswer(int first);
    // True when the time-out is that of the request still waiting: the number
    // moves on and the caller reports the time-out.
    bool onTimeout(platform::WParam number);
    // Forgets a waiting request (the connection was lost).
    void cancel();

private:
    void stopTimer();

    platform::EventLoop& m_loop;
    platform::MessageTarget& m_owner;
    int m_timeoutMessage;
    int m_current = kFirstNumber;
    bool m_waiting = false;
    platform::OneShotId m_timer = 0;
};

} // namespace pocket::link
