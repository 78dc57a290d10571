#pragma once

// File: pc/convert/dde_names.h
// Where DDE services live: one Unix-domain socket per registered service
// name in a folder of the user's runtime folder ($XDG_RUNTIME_DIR, else a
// private folder under /tmp), so that only the same user's programs meet.
// Service names may hold any characters; the socket's file name escapes
// those that are not letters, digits, "-" or "_".

#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace pc::convert {

// The folder of service sockets, created (mode 0700) when missing. Fails
// when it cannot be created or belongs to another user.
platform::IoResult<std::filesystem::path> ddeServiceFolder();

// The socket file name of a service: "HWP/WIN" → "HWP%2FWIN.dde".
std::string ddeSocketName(std::string_view service);

// Connects to a registered service; NotFound when no server listens.
platform::IoResult<int> connectDdeService(std::string_view service);

// Binds and listens on the service's socket. A leftover socket of a server
// that has gone is replaced; one that a live server holds is refused
// (ErrorCode::Unavailable).
platform::IoResult<int> listenDdeService(std::string_view service, std::filesystem::path& socketPath);

} // namespace pc::convert
