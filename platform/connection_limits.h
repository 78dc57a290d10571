#pragma once

// File: platform/connection_limits.h
// Who may hold a connection to a port of a server (the command, upload and
// web ports). Connections are capped per address and in total; when a cap
// is reached, the connection that has waited longest without getting
// anywhere (no log-in, no complete request) makes room for the newcomer: a
// handheld gets going within moments of connecting, while a peer that only
// holds a connection never does. A port whose connections are all busy
// refuses the newcomer. Pure: the owner says what is open and carries out
// the decision.

#include "platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

struct ConnectionLimits {
    std::size_t total = 0;
    std::size_t perAddress = 0;
};

struct OpenConnection {
    std::uint64_t id = 0;
    std::string_view address;
    bool isBusy = false; // Logged in, or being answered: never made room for.
    Ticks acceptedAt { 0 };
};

struct Admission {
    bool admit = false;
    std::optional<std::uint64_t> evict; // Close this one first.
};

Admission admitConnection(std::span<const OpenConnection> open, std::string_view address,
    const ConnectionLimits& limits);

} // namespace platform
