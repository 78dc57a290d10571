#include "pocket/msn/testing/scripted_msn_server.h"

#include "platform/codec/md5.h"
#include "platform/console_words.h"
#include "pocket/link/testing/loopback_server.h"
#include "pocket/msn/msn_wire.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace pocket::msn::testing {

namespace {

    constexpr std::string_view kChallenge = "1013928519.693957190";
    constexpr std::string_view kProfile = "MIME-Version: 1.0\r\nContent-Type: text/x-msmsgsprofile\r\n\r\n";

    std::string word(const std::vector<std::string>& words, std::size_t i)
    {
        return i < words.size() ? words[i] : std::string();
    }

    std::string upper(std::string text)
    {
        std::transform(
            text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
        return text;
    }

} // namespace

struct ScriptedMsnServer::State {
    enum class Role { Unknown, Notification, Switchboard };
    struct Connection {
        int fd = -1;
        MsnSplitter splitter;
        Role role = Role::Unknown;
        std::string email;
        bool signedOn = false;
        std::string status; // Empty until the first CHG.
        int board = -1;
        bool dead = false;
    };
    struct Invitation {
        std::string email;
        int board = -1;
    };

    State(std::vector<MsnUser> knownUsers, ServerHabits serverHabits)
        : users(std::move(knownUsers))
        , habits(serverHabits)
        , server({ [this](int fd) { accepted(fd); },
              [this](int fd, std::string_view bytes) { received(fd, bytes); }, [this](int fd) { ended(fd); },
              [this] { woken(); } })
    {
    }

    std::vector<MsnUser> users;
    ServerHabits habits;
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<std::pair<std::string, std::string>> toTell;
    std::set<std::string> redirected;
    std::map<std::string, std::string> grants; // Cookie → e-mail.
    std::map<std::string, Invitation> invitations; // Cookie → invitation.
    std::map<std::string, std::vector<std::string>> log;
    int nextBoard = 11752013;
    int nextCookie = 1;
    int serial = 1;
    link::testing::LoopbackServer server; // Last: its thread calls the handlers.

    MsnUser* user(std::string_view email)
    {
        for (auto& u : users)
            if (u.email == email)
                return &u;
        return nullptr;
    }
    std::string nameOf(std::string_view email)
    {
        MsnUser* u = user(email);
        return encodeName(u ? u->name : std::string(email));
    }
    Connection* notificationOf(std::string_view email)
    {
        for (auto& c : connections)
            if (!c->dead && c->role == Role::Notification && c->signedOn && c->email == email)
                return c.get();
        return nullptr;
    }
    bool online(std::string_view email)
    {
        Connection* c = notificationOf(email);
        return c && !c->status.empty() && c->status != "HDN";
    }
    void send(Connection& c, std::string_view bytes)
    {
        if (!c.dead)
            server.send(c.fd, bytes);
    }
    void reply(Connection& c, const std::string& line) { send(c, line + "\r\n"); }
    std::string cookie() { return "cookie" + std::to_string(nextCookie++) + ".1050826919"; }
    std::string address() const { return "127.0.0.1:" + std::to_string(server.port()); }

    void accepted(int fd);
    void received(int fd, std::string_view bytes);
    void ended(int fd);
    void woken();
    void drop(Connection& c);
    void handle(Connection& c, const MsnUnit& unit);
    void notification(Connection& c, const std::vector<std::string>& w);
    void logIn(Connection& c, const std::vector<std::string>& w);
    void changeStatus(Connection& c, const std::vector<std::string>& w);
    void list(Connection& c, const std::vector<std::string>& w);
    void add(Connection& c, const std::vector<std::string>& w);
    void announce(Connection& c);
    void switchboard(Connection& c, const std::vector<std::string>& w, const MsnUnit& unit);
    void answer(Connection& c, const std::vector<std::string>& w);
    std::vector<Connection*> boardMembers(int board, const Connection* except);
};

ScriptedMsnServer::ScriptedMsnServer(std::vector<MsnUser> users, ServerHabits habits)
    : m_state(std::make_unique<State>(std::move(users), habits))
{
}

ScriptedMsnServer::~ScriptedMsnServer() = default;

std::uint16_t ScriptedMsnServer::port() const
{
    return m_state->server.port();
}

void ScriptedMsnServer::tell(std::string_view email, std::string_view line)
{
    auto lock = m_state->server.lock();
    m_state->toTell.emplace_back(email, line);
    m_state->server.wake();
}

void ScriptedMsnServer::shutDown()
{
    auto lock = m_state->server.lock();
    m_state->connections.clear();
    m_state->server.shutDown();
}

bool ScriptedMsnServer::isOnline(std::string_view email) const
{
    auto lock = m_state->server.lock();
    return m_state->online(email);
}

std::vector<std::string> ScriptedMsnServer::received(std::string_view email) const
{
    auto lock = m_state->server.lock();
    auto found = m_state->log.find(std::string(email));
    return found == m_state->log.end() ? std::vector<std::string> {} : found->second;
}

void ScriptedMsnServer::State::accepted(int fd)
{
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    connections.push_back(std::move(c));
}

void ScriptedMsnServer::State::received(int fd, std::string_view bytes)
{
    if (Connection* c = link::testing::connectionOf(connections, fd)) {
        c->splitter.feed(bytes);
        for (;;) {
            auto unit = c->splitter.next();
            if (!unit || !*unit || c->dead)
                break;
            handle(*c, **unit);
        }
    }
    link::testing::forgetDead(connections, server);
}

void ScriptedMsnServer::State::ended(int fd)
{
    if (Connection* c = link::testing::connectionOf(connections, fd))
        drop(*c);
    link::testing::forgetDead(connections, server);
}

void ScriptedMsnServer::State::woken()
{
    for (auto& [email, line] : std::exchange(toTell, {}))
        if (Connection* c = notificationOf(email))
            send(*c, line);
}

// The end of a connection: watchers see a notification user go offline,
// switchboard members see a member leave.
void ScriptedMsnServer::State::drop(Connection& c)
{
    if (c.dead)
        return;
    c.dead = true;
    if (c.role == Role::Notification && c.signedOn && !c.status.empty()) {
        for (auto& other : connections) {
            MsnUser* watcher = other->dead ? nullptr : user(other->email);
            if (watcher && other->role == Role::Notification && other->signedOn
                && std::ranges::count(watcher->forwardList, c.email) > 0)
                reply(*other, "FLN " + c.email);
        }
    }
    if (c.role == Role::Switchboard && c.board >= 0)
        for (Connection* member : boardMembers(c.board, &c))
            reply(*member, "BYE " + c.email);
}

void ScriptedMsnServer::State::handle(Connection& c, const MsnUnit& unit)
{
    // The handheld's "USR 2  MD5  I" has two spaces between some words.
    const auto w = platform::splitBlankWords(unit.line);
    if (c.role == Role::Unknown)
        c.role = word(w, 0) == "VER" ? Role::Notification : Role::Switchboard;
    if (c.role == Role::Notification)
        notification(c, w);
    else
        switchboard(c, w, unit);
    log[c.email].push_back(unit.line + (unit.payload ? "\r\n" + *unit.payload : std::string()));
}

void ScriptedMsnServer::State::notification(Connection& c, const std::vector<std::string>& w)
{
    const std::string command = word(w, 0);
    const std::string id = word(w, 1);
    if (command == "VER") {
        reply(c, "VER " + id + " MSNP5");
    } else if (command == "INF") {
        reply(c, "INF " + id + " MD5");
    } else if (command == "USR") {
        logIn(c, w);
    } else if (command == "OUT") {
        drop(c);
    } else if (!c.signedOn) {
        return;
    } else if (command == "CHG") {
        changeStatus(c, w);
    } else if (command == "LST") {
        list(c, w);
    } else if (command == "ADD") {
        add(c, w);
    } else if (command == "REM" && word(w, 2) == "FL") {
        std::erase(user(c.email)->forwardList, word(w, 3));
        reply(c, "REM " + id + " FL " + std::to_string(++serial) + " " + word(w, 3));
    } else if (command == "REA") {
        user(c.email)->name = decodeName(word(w, 3));
        reply(c, "REA " + id + " " + std::to_string(++serial) + " " + c.email + " " + nameOf(c.email));
    } else if (command == "XFR" && word(w, 2) == "SB") {
        std::string granted = cookie();
        grants[granted] = c.email;
        reply(c, "XFR " + id + " SB " + address() + " CKI " + granted);
    }
}

void ScriptedMsnServer::State::logIn(Connection& c, const std::vector<std::string>& w)
{
    const std::string id = word(w, 1);
    if (word(w, 3) == "I") {
        c.email = word(w, 4);
        if (!user(c.email)) {
            reply(c, "911 " + id);
        } else if (habits.redirect && redirected.insert(c.email).second) {
            reply(c, "XFR " + id + " NS " + address() + " 0 127.0.0.1:1863");
        } else {
            reply(c, "USR " + id + " MD5 S " + std::string(kChallenge));
        }
        return;
    }
    MsnUser* u = user(c.email);
    if (!u || word(w, 4) != platform::codec::md5Hex(std::string(kChallenge) + u->password)) {
        // Servers in the wild keep the connection open after 911.
        reply(c, "911 " + id);
        return;
    }
    redirected.erase(c.email);
    c.signedOn = true;
    reply(c, "USR " + id + " OK " + c.email + " " + nameOf(c.email));
}

void ScriptedMsnServer::State::changeStatus(Connection& c, const std::vector<std::string>& w)
{
    const bool first = c.status.empty();
    c.status = word(w, 2);
    reply(c, "CHG " + word(w, 1) + " " + c.status);
    if (first) {
        for (const auto& friendEmail : user(c.email)->forwardList)
            if (online(friendEmail))
                reply(c,
                    "ILN " + word(w, 1) + " " + notificationOf(friendEmail)->status + " " + friendEmail + " "
                        + nameOf(friendEmail));
        send(c, "MSG Hotmail Hotmail " + std::to_string(kProfile.size()) + "\r\n" + std::string(kProfile));
    }
    announce(c);
}

// Everybody who lists the user hears its new status.
void ScriptedMsnServer::State::announce(Connection& c)
{
    for (auto& other : connections) {
        if (other.get() == &c || other->dead || other->role != Role::Notification || !other->signedOn)
            continue;
        if (std::ranges::count(user(other->email)->forwardList, c.email) == 0)
            continue;
        if (c.status == "HDN")
            reply(*other, "FLN " + c.email);
        else
            reply(*other, "NLN " + c.status + " " + c.email + " " + nameOf(c.email));
    }
}

void ScriptedMsnServer::State::list(Connection& c, const std::vector<std::string>& w)
{
    if (habits.noList || word(w, 2) != "FL")
        return;
    const auto& forward = user(c.email)->forwardList;
    const std::string head = "LST " + word(w, 1) + " FL " + std::to_string(serial) + " ";
    if (forward.empty())
        reply(c, head + "0 0");
    for (std::size_t i = 0; i < forward.size(); ++i)
        reply(c,
            head + std::to_string(i + 1) + " " + std::to_string(forward.size()) + " " + forward[i] + " "
                + nameOf(forward[i]));
}

void ScriptedMsnServer::State::add(Connection& c, const std::vector<std::string>& w)
{
    if (word(w, 2) != "FL")
        return;
    const std::string email = word(w, 3);
    auto& forward = user(c.email)->forwardList;
    if (std::ranges::count(forward, email) == 0)
        forward.push_back(email);
    const std::string number = habits.addWithoutSerial ? "" : std::to_string(++serial) + " ";
    reply(c, "ADD " + word(w, 1) + " FL " + number + email + " " + word(w, 4));
    if (online(email)) {
        reply(c, "NLN " + notificationOf(email)->status + " " + email + " " + nameOf(email));
        reply(*notificationOf(email), "ADD 0 RL " + number + c.email + " " + nameOf(c.email));
    }
}

std::vector<ScriptedMsnServer::State::Connection*> ScriptedMsnServer::State::boardMembers(
    int board, const Connection* except)
{
    std::vector<Connection*> members;
    for (auto& c : connections)
        if (!c->dead && c.get() != except && c->role == Role::Switchboard && c->board == board)
            members.push_back(c.get());
    return members;
}

void ScriptedMsnServer::State::switchboard(
    Connection& c, const std::vector<std::string>& w, const MsnUnit& unit)
{
    const std::string command = word(w, 0);
    const std::string id = word(w, 1);
    if (command == "USR") {
        auto grant = grants.find(word(w, 3));
        if (grant == grants.end() || grant->second != word(w, 2)) {
            reply(c, "911 " + id);
            return;
        }
        c.email = grant->second;
        c.board = nextBoard++;
        grants.erase(grant);
        reply(c, "USR " + id + " OK " + c.email + " " + nameOf(c.email));
    } else if (command == "CAL") {
        const std::string invited = word(w, 2);
        if (c.board < 0 || !online(invited)) {
            reply(c, "217 " + id);
            return;
        }
        std::string ring = cookie();
        invitations[ring] = { invited, c.board };
        reply(c, "CAL " + id + " RINGING " + std::to_string(c.board));
        reply(*notificationOf(invited),
            "RNG " + std::to_string(c.board) + " " + address() + " CKI " + ring + " " + c.email + " "
                + nameOf(c.email));
    } else if (command == "ANS") {
        answer(c, w);
    } else if (command == "MSG" && unit.payload && c.board >= 0) {
        for (Connection* member : boardMembers(c.board, &c))
            send(*member,
                "MSG " + c.email + " " + nameOf(c.email) + " " + std::to_string(unit.payload->size()) + "\r\n"
                    + *unit.payload);
    } else if (command == "OUT") {
        drop(c);
    }
}

void ScriptedMsnServer::State::answer(Connection& c, const std::vector<std::string>& w)
{
    const std::string id = word(w, 1);
    auto invitation = invitations.find(word(w, 3));
    if (invitation == invitations.end() || invitation->second.email != word(w, 2)) {
        reply(c, "911 " + id);
        return;
    }
    c.email = invitation->second.email;
    c.board = invitation->second.board;
    invitations.erase(invitation);
    const auto members = boardMembers(c.board, &c);
    const std::size_t count = members.size() + (habits.announceAnswererToItself ? 1 : 0);
    for (std::size_t i = 0; i < members.size(); ++i)
        reply(c,
            "IRO " + id + " " + std::to_string(i + 1) + " " + std::to_string(count) + " " + members[i]->email
                + " " + nameOf(members[i]->email));
    if (habits.announceAnswererToItself)
        reply(c,
            "IRO " + id + " " + std::to_string(count) + " " + std::to_string(count) + " " + upper(c.email)
                + " " + nameOf(c.email));
    reply(c, "ANS " + id + " OK");
    if (habits.announceAnswererToItself)
        reply(c, "JOI " + upper(c.email) + " " + nameOf(c.email));
    for (Connection* member : members)
        reply(*member, "JOI " + c.email + " " + nameOf(c.email));
}

} // namespace pocket::msn::testing
