#pragma once

// File: pc/service/web_access.h
// The web server as the remote service drives it: started and stopped with
// the service, and told which client addresses it may serve (loopback and
// the logged-in handheld). WebAccessGate holds that address for the web
// server's thread.

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace pc::service {

class WebService {
public:
    virtual ~WebService() = default;
    // Starts serving the service root; false when it could not start.
    virtual bool startWeb() = 0;
    virtual void stopWeb() = 0;
    virtual std::uint16_t webPort() const = 0;
};

// Which addresses the web server serves: loopback always, and the address of
// the logged-in handheld. Written on the window thread, read on the web
// server's thread.
class WebAccessGate {
public:
    void setLoggedInAddress(std::string address);
    bool allows(std::string_view dottedAddress) const;
    bool allows(std::uint32_t networkOrderAddress) const;

private:
    mutable std::mutex m_mutex;
    std::string m_loggedInAddress;
};

} // namespace pc::service
