#pragma once

// File: pocket/msn/testing/chat_pair.h
// Two handhelds in one chat: the caller opens a chat with the callee
// (contact 0 of its list), the callee is invited and answers, and a Relay
// carries their MSG commands as the switchboard would.

#include "pocket/msn/testing/handheld.h"

#include <gtest/gtest.h>

namespace pocket::msn::testing {

// Carries what one chat sends to the other as the switchboard would:
// every MSG command arrives at the other side with the sender's address.
class Relay {
public:
    Relay(Handheld& a, Handheld& b)
        : m_a(a)
        , m_b(b)
    {
    }
    // Moves messages both ways until neither side has anything new.
    void pump()
    {
        while (move(m_a, m_b, m_fromA) + move(m_b, m_a, m_fromB) > 0) { }
    }
    std::vector<std::string> messagesFrom(Handheld& side) const { return &side == &m_a ? m_sentA : m_sentB; }

private:
    int move(Handheld& from, Handheld& to, std::size_t& cursor)
    {
        int moved = 0;
        auto& sent = from.chatLink(0).sent;
        for (; cursor < sent.size(); ++cursor) {
            const std::string& command = sent[cursor];
            if (command.rfind("MSG ", 0) != 0)
                continue;
            std::size_t end = command.find("\r\n");
            std::string payload = command.substr(end + 2);
            auto fields = splitFields(command.substr(0, end));
            EXPECT_EQ(fields.at(3), std::to_string(payload.size()));
            (&from == &m_a ? m_sentA : m_sentB).push_back(payload);
            to.chatLink(0).deliver(
                "MSG " + from.id + " " + from.friendlyName + " " + fields.at(3) + "\r\n" + payload);
            ++moved;
        }
        return moved;
    }
    Handheld& m_a;
    Handheld& m_b;
    std::size_t m_fromA = 0;
    std::size_t m_fromB = 0;
    std::vector<std::string> m_sentA, m_sentB;
};

// The caller's transaction counter must stand at 2 (just logged in).
inline void openChat(Handheld& caller, Handheld& callee)
{
    caller.chats.openChatWith(0);
    caller.notification().deliver("XFR 2 SB 127.0.0.1:1863 CKI 17262740.1050826919.32308\r\n");
    caller.chatLink(0).deliver("USR 1 OK " + caller.id + " " + caller.friendlyName + "\r\n");
    callee.notification().deliver(
        "RNG 11752013 127.0.0.1:1863 CKI 849102291.52 " + caller.id + " " + caller.friendlyName + "\r\n");
    callee.chatLink(0).deliver("IRO 1 1 1 " + caller.id + " " + caller.friendlyName + "\r\nANS 1 OK\r\n");
    caller.chatLink(0).deliver("JOI " + callee.id + " " + callee.friendlyName + "\r\n");
}

} // namespace pocket::msn::testing
