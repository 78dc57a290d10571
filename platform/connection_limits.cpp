#include "platform/connection_limits.h"

namespace platform {

namespace {

// The connection that has waited longest without getting anywhere, among those
// from `address` (or among all when the address is empty).
const OpenConnection* longestWaiting(std::span<const OpenConnection> open, std::string_view address)
{
    const OpenConnection* found = nullptr;
    for (const OpenConnection& connection : open) {
        if (connection.isBusy || (!address.empty() && connection.address != address))
            continue;
        if (!found || connection.acceptedAt < found->acceptedAt)
            found = &connection;
    }
    return found;
}

} // namespace

Admission admitConnection(std::span<const OpenConnection> open, std::string_view address,
    const ConnectionLimits& limits)
{
    std::size_t fromAddress = 0;
    for (const OpenConnection& connection : open)
        fromAddress += connection.address == address;
    const OpenConnection* room = nullptr;
    if (fromAddress >= limits.perAddress)
        room = longestWaiting(open, address);
    else if (open.size() >= limits.total)
        room = longestWaiting(open, {});
    else
        return Admission { true, std::nullopt };
    if (!room)
        return Admission { false, std::nullopt };
    return Admission { true, room->id };
}

} // namespace platform
