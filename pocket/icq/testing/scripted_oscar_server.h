#pragma once

// File: pocket/icq/testing/scripted_oscar_server.h
// A small OSCAR server for tests, on 127.0.0.1 with a port chosen by the
// system, serving the login server and the session (BOS) server on that one
// port (a cookie in the client's sign-on frame tells which it is). It knows
// a few ICQ users with their passwords and nicks, runs the sign-on, keeps
// each user's buddy list and presence, answers the extension family's
// requests (offline messages, own and user information) and relays
// messages, so that two handhelds can sign on and talk through it.
// OscarHabits switch on what servers met in the wild do and the scripted
// peers of the unit tests never did. Runs on its own thread; its functions
// may be called from the test's thread.

#include "pocket/icq/message_charset.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::icq::testing {

struct IcqUser {
    std::string number;
    std::string password;
    std::string nick;
};

struct OscarHabits {
    // Every log-in is refused with this error code (0: none). A wrong
    // password is refused with 0x0004, as real servers do.
    std::uint16_t signOnError = 0;
    // User look-ups (0x051F) of existing users are answered "not found".
    bool notFoundOnLookup = false;
    // User look-ups are not answered at all.
    bool ignoreLookup = false;
    // A buddy already online when it is added gets no 03,0B; presence is
    // sent only when it changes.
    bool noInitialPresence = false;
    // Channel-4 messages are not relayed.
    bool dropChannelFour = false;
};

class ScriptedOscarServer {
public:
    explicit ScriptedOscarServer(std::vector<IcqUser> users, OscarHabits habits = {});
    ~ScriptedOscarServer();
    ScriptedOscarServer(const ScriptedOscarServer&) = delete;
    ScriptedOscarServer& operator=(const ScriptedOscarServer&) = delete;

    std::uint16_t port() const;
    // A channel-1 message to a signed-on user, as if `sender` had sent it;
    // `charset` is one of the kCharset values.
    void sendChannelOne(
        std::string_view to, std::string_view sender, std::uint16_t charset, std::string_view text);
    // The server shuts down: every connection and the listener close.
    void shutDown();
    // Whether the user has sent its client-ready message.
    bool isOnline(std::string_view number) const;
    // The numbers the user has added to its buddy list (03,04).
    std::vector<std::string> buddiesOf(std::string_view number) const;
    // The texts of the channel-4 messages the user sent, in order.
    std::vector<std::string> messagesFrom(std::string_view number) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace pocket::icq::testing
