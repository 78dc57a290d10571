#pragma once

// File: platform/discovery/avahi_discovery.h
// The Avahi implementations of service_discovery.h. Each object keeps its
// own connection to the daemon (made on first use, not at construction) on
// a thread of Avahi's. A missing daemon or D-Bus is ErrorCode::Unavailable
// with Avahi's reason ("Daemon not running").

#include "platform/discovery/service_discovery.h"

namespace platform {

std::unique_ptr<ServiceAnnouncer> makeAvahiAnnouncer();
std::unique_ptr<ServiceBrowser> makeAvahiBrowser();

} // namespace platform
