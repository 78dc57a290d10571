#pragma once

// File: pocket/app/frame_router.h
// The main dialog as a window target: the links post their private messages
// here (1530 from the PC link, 4025 to 4031 from the MSN links and session,
// 5025 to 5040 from the ICQ link, session and pen carriage, 6025 from a
// YAHOO link) and the router hands each to the handler registered for its
// range. Messages without a handler are dropped. Window thread only.

#include "platform/event_loop.h"

#include <functional>
#include <optional>
#include <vector>

namespace pocket::app {

// The ranges of the private messages the main dialog routes.
constexpr int kMsgPcFirst = 1530;
constexpr int kMsgPcLast = 1530;
constexpr int kMsgMsnFirst = 4025;
constexpr int kMsgMsnLast = 4031;
constexpr int kMsgIcqFirst = 5025;
constexpr int kMsgIcqLast = 5040;
constexpr int kMsgYahooFirst = 6025;
constexpr int kMsgYahooLast = 6026;

using MessageHandler = std::function<platform::LResult(int msg, platform::WParam, platform::LParam)>;

class FrameRouter final : public platform::MessageTarget {
public:
    // Handles messages first..last (inclusive); a later route over the same
    // numbers replaces the earlier one for those numbers.
    void addRoute(int first, int last, MessageHandler handler);
    // Forwards first..last to another target unchanged, for sessions that
    // are targets themselves.
    void forward(int first, int last, platform::MessageTarget& target);
    void removeRoutes(int first, int last);

    // The result of the handler, or nothing when no route takes the message.
    std::optional<platform::LResult> route(int msg, platform::WParam wParam, platform::LParam lParam);
    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

    std::size_t droppedCount() const { return m_dropped; }

private:
    struct Route {
        int first;
        int last;
        MessageHandler handler;
    };
    std::vector<Route> m_routes; // Newest first.
    std::size_t m_dropped = 0;
};

} // namespace pocket::app
