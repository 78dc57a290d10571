#pragma once

// File: pocket/link/sign_on_deadline.h
// The deadline of a messenger's sign-on: started when the connection to the
// server opens, stopped once the user is signed on or the session is reset.
// A server that accepts the connection and then says nothing would otherwise
// leave the page on "Connecting.." for ever. When the deadline passes, the
// target gets its message with the deadline's number as wParam; expired()
// tells that message from one of an earlier, stopped deadline.
// Window thread only.
//
//     SignOnDeadline deadline(loop, session, kMsgSignOnTimeout);
//     deadline.start();                      // connection opened
//     ...
//     if (msg == kMsgSignOnTimeout && deadline.expired(wParam)) fail(...);

#include "platform/event_loop.h"

#include <string>
#include <string_view>

namespace pocket::link {

// How long a sign-on may take from the open connection to the user online.
constexpr unsigned kSignOnTimeoutMs = 30000;

class SignOnDeadline {
public:
    SignOnDeadline(platform::EventLoop& loop, platform::MessageTarget& target, int msg);
    ~SignOnDeadline();
    SignOnDeadline(const SignOnDeadline&) = delete;
    SignOnDeadline& operator=(const SignOnDeadline&) = delete;

    // (Re)starts the deadline.
    void start();
    void stop();
    bool isRunning() const { return m_timer != 0; }
    // The target's message arrived: true when it is this deadline's, which
    // then stops.
    bool expired(platform::WParam number);

private:
    platform::EventLoop& m_loop;
    platform::MessageTarget& m_target;
    int m_msg;
    platform::OneShotId m_timer = 0;
    platform::WParam m_number = 0;
};

// A message of the program's own text with the cause found beside it, on a
// line of its own: "서버에 접속할 수 없습니다.\n127.0.0.1:1863 — 연결이
// 거부되었습니다". Without a cause, the text alone.
std::string withCause(std::string_view text, std::string_view cause);

// "host:port — 응답이 없습니다 (시간 초과)": the cause of a sign-on that
// ran out of time.
std::string timedOutCause(std::string_view peer);

} // namespace pocket::link
