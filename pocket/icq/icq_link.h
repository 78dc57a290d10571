#pragma once

// File: pocket/icq/icq_link.h
// The ICQ session's connection. IcqLink is what the session needs from it;
// SocketIcqLink is the real one, over a SocketClient of kind 2 in readiness
// mode: every time the socket becomes readable the reader thread sends 5025
// to the link's window, whose handler calls readFrame() to take at most one
// FLAP frame off the socket without blocking. Window thread only, except
// send(), which the window thread alone calls as well.

#include "pocket/icq/flap_splitter.h"
#include "pocket/link/socket_client.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pocket::icq {

enum class ReadOutcome {
    Frame, // A whole frame arrived.
    Nothing, // Part of a frame, or a refused frame; wait for the next 5025.
    Closed, // The peer closed the connection or the receive failed.
};

struct LinkRead {
    ReadOutcome outcome = ReadOutcome::Nothing;
    FlapFrame frame;
};

class IcqLink {
public:
    virtual ~IcqLink() = default;
    // Connects; hostIsAddress says whether host is a dotted address or a
    // name to look up.
    virtual bool open(const std::string& host, std::uint16_t port, bool hostIsAddress) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The whole buffer in one send call.
    virtual bool send(std::string_view bytes) = 0;
    virtual LinkRead readFrame() = 0;
    // The handheld's own IPv4 address on this connection (host order).
    virtual std::uint32_t localAddress() const = 0;
    // After a failed open(): what it tried and why it failed
    // ("host:port — 연결이 거부되었습니다"); empty when unknown.
    virtual std::string failureText() const { return {}; }
    // "host:port" of the last open(); empty when unknown.
    virtual std::string peerText() const { return {}; }
};

class SocketIcqLink final : public IcqLink {
public:
    // The client's window must route 5025 and 5026 to the session.
    SocketIcqLink(link::SocketClient& client, platform::MessageTarget& window);

    bool open(const std::string& host, std::uint16_t port, bool hostIsAddress) override;
    void close() override;
    bool isOpen() const override;
    bool send(std::string_view bytes) override;
    LinkRead readFrame() override;
    std::uint32_t localAddress() const override;
    std::string failureText() const override { return m_client.lastAttemptText(); }
    std::string peerText() const override { return m_client.peerText(); }

private:
    link::SocketClient& m_client;
    FlapSplitter m_splitter;
};

} // namespace pocket::icq
