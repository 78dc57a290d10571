#include "pc/mail/pop3_account.h"

#include "platform/port_number.h"

namespace pc::mail {

namespace {

bool readPort(std::string_view text, unsigned& port)
{
    auto number = platform::parsePortNumber(text);
    if (number)
        port = *number;
    return number.has_value();
}

} // namespace

Pop3Address pop3AddressOf(std::string_view server, unsigned defaultPort)
{
    Pop3Address address { std::string(server), defaultPort };
    if (server.starts_with('[')) {
        auto close = server.find(']');
        if (close == std::string_view::npos)
            return address;
        std::string_view rest = server.substr(close + 1);
        unsigned port = defaultPort;
        if (rest.empty() || (rest.front() == ':' && readPort(rest.substr(1), port)))
            return { std::string(server.substr(1, close - 1)), port };
        return address;
    }
    auto colon = server.find(':');
    // More than one colon: a bare IPv6 address, which has no port.
    if (colon == std::string_view::npos || server.find(':', colon + 1) != std::string_view::npos)
        return address;
    unsigned port = defaultPort;
    if (readPort(server.substr(colon + 1), port))
        return { std::string(server.substr(0, colon)), port };
    return address;
}

std::string pop3ServerText(const Pop3Address& address, unsigned defaultPort)
{
    if (address.port == defaultPort)
        return address.host;
    bool isV6 = address.host.find(':') != std::string::npos;
    return (isV6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

} // namespace pc::mail
