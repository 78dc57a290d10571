#pragma once

// File: pocket/msn/msn_link.h
// One MSN connection (the notification session's or a chat's) as the
// protocol code sees it: open, send a command text, close, and whole units
// (lines, and MSG lines with their payload) delivered on the window thread.
// SocketMsnLink implements it over pocket::link::SocketClient; tests use a
// fake that records what was sent.

#include "pocket/msn/msn_wire.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn {

struct LinkTarget {
    std::string host;
    std::uint16_t port = 0;
    bool hostIsAddress = false;
    bool notifyOnClose = false; // Report the peer's close through onClosed.
};

class MsnLink {
public:
    // Everything that arrived in one read, in order; and the connection's end.
    using UnitsHandler = std::function<void(std::vector<MsnUnit>)>;
    using ClosedHandler = std::function<void()>;

    virtual ~MsnLink() = default;

    virtual bool open(const LinkTarget& target) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // One send call of the bytes; false when closed or the send failed.
    virtual bool send(std::string_view bytes) = 0;
    // After a failed open(): what it tried and why it failed
    // ("host:port — 연결이 거부되었습니다"); empty when unknown.
    virtual std::string failureText() const { return {}; }
    // "host:port" of the last open(); empty when unknown.
    virtual std::string peerText() const { return {}; }

    void setHandlers(UnitsHandler onUnits, ClosedHandler onClosed)
    {
        m_onUnits = std::move(onUnits);
        m_onClosed = std::move(onClosed);
    }

protected:
    UnitsHandler m_onUnits;
    ClosedHandler m_onClosed;
};

// Makes the links of the session and its chats.
class MsnLinkFactory {
public:
    virtual ~MsnLinkFactory() = default;
    virtual std::unique_ptr<MsnLink> createLink() = 0;
};

} // namespace pocket::msn
