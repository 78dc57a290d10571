#pragma once

// File: pocket/msn/testing/scripted_msn_server.h
// A small MSN server for tests, on 127.0.0.1 with a port chosen by the
// system, serving dispatch, notification and switchboard connections on that
// one port (a connection's first command tells which it is). It knows a few
// users with their passwords, names and forward lists, answers the MSNP5
// commands the handheld sends, rings invited users and relays chat messages
// between switchboard members, so that two handhelds can sign on and chat
// through it. ServerHabits switch on what servers met in the wild do and the
// scripted peers of the unit tests never did. Runs on its own thread; its
// functions may be called from the test's thread.
//
//     ScriptedMsnServer server({ { "a@x", "pw", "A", { "b@x" } }, { "b@x", "pw", "B", { "a@x" } } });
//     MsnSession session(loop, ui, links, MsnConfig { "127.0.0.1", server.port() });

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pocket::msn::testing {

struct MsnUser {
    std::string email;
    std::string password;
    std::string name; // Plain text; sent with every space as "%20".
    std::vector<std::string> forwardList;
};

struct ServerHabits {
    // A dispatch server first: the first log-in of a user is sent on to the
    // same port with XFR NS.
    bool redirect = true;
    // The roster of an answering user names that user too (IRO), and the
    // user is announced to itself (JOI), in upper case.
    bool announceAnswererToItself = false;
    // ADD answers and the "someone added you" notices carry no serial.
    bool addWithoutSerial = false;
    // LST is never answered: contacts are known only from ILN, NLN and FLN.
    bool noList = false;
};

class ScriptedMsnServer {
public:
    explicit ScriptedMsnServer(std::vector<MsnUser> users, ServerHabits habits = {});
    ~ScriptedMsnServer();
    ScriptedMsnServer(const ScriptedMsnServer&) = delete;
    ScriptedMsnServer& operator=(const ScriptedMsnServer&) = delete;

    std::uint16_t port() const;
    // Sends a line (with its CRLF) on the user's notification connection.
    void tell(std::string_view email, std::string_view line);
    // The server shuts down: every connection and the listener close.
    void shutDown();
    // Whether the user is signed on and has set a status.
    bool isOnline(std::string_view email) const;
    // The commands the server received from a user, on any connection, in
    // order (a MSG command with its payload).
    std::vector<std::string> received(std::string_view email) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace pocket::msn::testing
