#pragma once

// File: pocket/msn/testing/fake_msn_link.h
// An MsnLink for tests: records what was opened and sent, and lets the test
// deliver lines or end the connection as the peer would.

#include "pocket/msn/msn_link.h"

#include <deque>
#include <string>
#include <vector>

namespace pocket::msn::testing {

class FakeMsnLink final : public MsnLink {
public:
    bool open(const LinkTarget& target) override
    {
        opened.push_back(target);
        bool ok = failOpens.empty() ? true : !failOpens.front();
        if (!failOpens.empty())
            failOpens.pop_front();
        m_open = ok;
        return ok;
    }
    void close() override
    {
        if (m_open)
            ++closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    std::string failureText() const override { return failure; }
    std::string peerText() const override { return peer; }
    bool send(std::string_view bytes) override
    {
        if (!m_open || failSends)
            return false;
        sent.emplace_back(bytes);
        return true;
    }

    // The peer's bytes, split into units as the real link would.
    void deliver(std::string_view bytes)
    {
        MsnSplitter splitter;
        splitter.feed(bytes);
        std::vector<MsnUnit> units;
        while (auto unit = splitter.next()) {
            if (!*unit)
                break;
            units.push_back(std::move(**unit));
        }
        if (m_onUnits)
            m_onUnits(std::move(units));
    }
    void peerCloses()
    {
        m_open = false;
        if (m_onClosed)
            m_onClosed();
    }

    std::vector<LinkTarget> opened;
    std::vector<std::string> sent;
    std::deque<bool> failOpens; // true: that open fails.
    bool failSends = false;
    int closes = 0;
    std::string failure; // What failureText() says.
    std::string peer; // What peerText() says.

private:
    bool m_open = false;
};

// Hands out fake links and keeps a pointer to each, in creation order.
class FakeMsnLinkFactory final : public MsnLinkFactory {
public:
    std::unique_ptr<MsnLink> createLink() override
    {
        auto link = std::make_unique<FakeMsnLink>();
        links.push_back(link.get());
        return link;
    }
    std::vector<FakeMsnLink*> links;
};

} // namespace pocket::msn::testing
