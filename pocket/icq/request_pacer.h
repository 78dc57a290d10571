#pragma once

// File: pocket/icq/request_pacer.h
// Sends one request per second for each number of a list: the buddy-list
// additions after sign-on and the information requests after the offline
// messages. The servers limit how fast a client may ask, so the requests are
// spread out. Runs on a timer of the window thread, so it shares the FLAP
// sequence counter with the session without any race.

#include "platform/event_loop.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace pocket::icq {

class RequestPacer final : public platform::MessageTarget {
public:
    static constexpr int kTimerId = 1;
    static constexpr unsigned kIntervalMs = 1000;

    // Sends the request for one number; false stops the pacer.
    using SendOne = std::function<bool(const std::string& number)>;

    explicit RequestPacer(platform::EventLoop& loop);
    ~RequestPacer() override;

    // Replaces a running list; the first request goes out after one interval.
    void start(std::vector<std::string> numbers, SendOne send);
    void stop();
    bool isRunning() const { return m_next < m_numbers.size(); }

    void onTimer(int id) override;

private:
    platform::EventLoop& m_loop;
    std::vector<std::string> m_numbers;
    std::size_t m_next = 0;
    SendOne m_send;
};

} // namespace pocket::icq
