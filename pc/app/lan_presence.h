#pragma once

// File: pc/app/lan_presence.h
// The PC announcing itself on the local network while its server runs, so
// that the handheld can find it: DNS-SD service "_quillon._tcp" on the
// command port, named "Quillon <host name>", with the TXT record of
// proto/pc_announcement.h (the host name and the fingerprint of the private
// link; no fingerprint while SecureLink is off). Without the Avahi daemon
// the log says so once, and the server runs as before. The profile value
// "LanAnnounce" (section "Quillon") = "off" keeps the PC quiet.

#include "platform/discovery/service_discovery.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace pc::app {

inline constexpr const char* kLanAnnounceKey = "LanAnnounce";

class LanPresence {
public:
    using LogLine = std::function<void(std::string)>;

    // `announcer` null: never announces (tests, the screenshot tool).
    LanPresence(std::unique_ptr<platform::ServiceAnnouncer> announcer, LogLine log);

    void start(std::uint16_t commandPort, const std::string& fingerprint);
    void stop();

    // The instance name and TXT strings of the announcement.
    static platform::DnsSdService serviceFor(const std::string& hostName, std::uint16_t commandPort,
        const std::string& fingerprint);

private:
    std::unique_ptr<platform::ServiceAnnouncer> m_announcer;
    LogLine m_log;
    bool m_toldUnavailable = false;
};

} // namespace pc::app
