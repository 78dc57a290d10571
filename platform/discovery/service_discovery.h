#pragma once

// File: platform/discovery/service_discovery.h
// DNS-SD (multicast DNS service discovery) as the programs use it: the PC
// announces one service while its server runs, and the handheld browses
// for services of a type and resolves each to an address, a port and its
// TXT strings. The implementation talks to the system's Avahi daemon over
// D-Bus (avahi_discovery.h); without the daemon or without D-Bus, both ends
// fail at once with ErrorCode::Unavailable and a reason, and never wait for
// the daemon to appear. The interfaces let the core be tested without it.

#include "platform/result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct DnsSdService {
    std::string name; // The instance name, e.g. "Quillon on study".
    std::string type; // "_quillon._tcp".
    std::uint16_t port = 0;
    std::vector<std::string> txt;
};

struct FoundService {
    std::string name;
    std::string hostName; // "study.local".
    std::string address;  // Dotted or IPv6 text.
    std::uint16_t port = 0;
    std::vector<std::string> txt;

    bool operator==(const FoundService&) const = default;
};

class ServiceAnnouncer {
public:
    virtual ~ServiceAnnouncer() = default;
    // Announces the service until withdraw() or destruction; announcing
    // again replaces it. Another host's service of the same name makes the
    // announcement go on under "name #2" and so on.
    virtual IoResult<void> announce(const DnsSdService& service) = 0;
    virtual void withdraw() = 0;
};

class ServiceBrowser {
public:
    virtual ~ServiceBrowser() = default;
    // The services of `type` that answer within `wait` (less when the
    // daemon says it has listed all it knows and each has resolved), one
    // entry per instance and address, IPv4 first.
    virtual IoResult<std::vector<FoundService>> browse(const std::string& type, std::chrono::milliseconds wait) = 0;
};

} // namespace platform
