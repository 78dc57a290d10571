#include "pocket/app/frame_router.h"

#include <algorithm>

namespace pocket::app {

void FrameRouter::addRoute(int first, int last, MessageHandler handler)
{
    if (first > last || !handler)
        return;
    m_routes.insert(m_routes.begin(), Route { first, last, std::move(handler) });
}

void FrameRouter::forward(int first, int last, platform::MessageTarget& target)
{
    // The target may be gone by the time a late message arrives; ask the
    // registry of live targets instead of calling through a dangling pointer.
    const std::uint64_t serial = target.serial();
    platform::MessageTarget* pointer = &target;
    addRoute(first, last, [pointer, serial](int msg, platform::WParam wParam, platform::LParam lParam) {
        if (!platform::MessageTarget::isAlive(pointer, serial))
            return platform::LResult { 0 };
        return pointer->onMessage(msg, wParam, lParam);
    });
}

void FrameRouter::removeRoutes(int first, int last)
{
    std::erase_if(m_routes, [&](const Route& route) { return route.first >= first && route.last <= last; });
}

std::optional<platform::LResult> FrameRouter::route(int msg, platform::WParam wParam, platform::LParam lParam)
{
    for (const auto& route : m_routes) {
        if (msg >= route.first && msg <= route.last) {
            // Copy first: a handler may change the routes while it runs.
            MessageHandler handler = route.handler;
            return handler(msg, wParam, lParam);
        }
    }
    ++m_dropped;
    return std::nullopt;
}

platform::LResult FrameRouter::onMessage(int msg, platform::WParam wParam, platform::LParam lParam)
{
    return route(msg, wParam, lParam).value_or(0);
}

} // namespace pocket::app
