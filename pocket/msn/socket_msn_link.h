#pragma once

// File: pocket/msn/socket_msn_link.h
// MsnLink over the handheld's SocketClient (link kind 1). The client runs in
// readiness mode: its reader thread only reports that the socket is
// readable (4025), and this link, on the window thread, reads what is there,
// feeds the MSN splitter and hands the whole units to its owner. A stream
// that breaks the splitter's limits is closed as if the peer had ended it.
// Window thread only.

#include "pocket/link/socket_client.h"
#include "pocket/msn/msn_link.h"

#include "platform/event_loop.h"

namespace pocket::msn {

class SocketMsnLink final : public MsnLink, public platform::MessageTarget {
public:
    SocketMsnLink(platform::EventLoop& loop, platform::Ui& ui, link::SleepFunction sleep = {});
    ~SocketMsnLink() override;

    bool open(const LinkTarget& target) override;
    void close() override;
    bool isOpen() const override;
    bool send(std::string_view bytes) override;
    std::string failureText() const override;
    std::string peerText() const override { return m_client.peerText(); }

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    platform::LResult readAvailable();
    void endConnection();

    MsnSplitter m_splitter;
    bool m_notifyOnClose = false;
    bool m_peerEnded = false; // The peer (not this program) ended the connection.
    link::SocketClient m_client;
};

class SocketMsnLinkFactory final : public MsnLinkFactory {
public:
    SocketMsnLinkFactory(platform::EventLoop& loop, platform::Ui& ui, link::SleepFunction sleep = {})
        : m_loop(loop)
        , m_ui(ui)
        , m_sleep(std::move(sleep))
    {
    }
    std::unique_ptr<MsnLink> createLink() override
    {
        return std::make_unique<SocketMsnLink>(m_loop, m_ui, m_sleep);
    }

private:
    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    link::SleepFunction m_sleep;
};

} // namespace pocket::msn
