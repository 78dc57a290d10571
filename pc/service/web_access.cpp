#include "pc/service/web_access.h"

#include <arpa/inet.h>

namespace pc::service {

void WebAccessGate::setLoggedInAddress(std::string address)
{
    std::lock_guard lock(m_mutex);
    m_loggedInAddress = std::move(address);
}

bool WebAccessGate::allows(std::string_view dottedAddress) const
{
    if (dottedAddress.substr(0, 4) == "127.")
        return true;
    std::lock_guard lock(m_mutex);
    return !m_loggedInAddress.empty() && dottedAddress == m_loggedInAddress;
}

bool WebAccessGate::allows(std::uint32_t networkOrderAddress) const
{
    in_addr address {};
    address.s_addr = networkOrderAddress;
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return allows(std::string_view(text));
}

} // namespace pc::service
