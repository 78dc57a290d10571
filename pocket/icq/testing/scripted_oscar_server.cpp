#include "pocket/icq/testing/scripted_oscar_server.h"

#include "pocket/icq/flap.h"
#include "pocket/icq/flap_splitter.h"
#include "pocket/icq/sign_on.h"
#include "pocket/link/testing/loopback_server.h"

#include <algorithm>
#include <map>

namespace pocket::icq::testing {

namespace {

    constexpr std::uint16_t kWrongPassword = 0x0004;
    constexpr std::uint16_t kMetaRequest = 2000;

    std::string le16(std::uint16_t value)
    {
        return { static_cast<char>(value & 0xFF), static_cast<char>(value >> 8) };
    }

    std::string le32(std::uint32_t value)
    {
        return le16(static_cast<std::uint16_t>(value & 0xFFFF))
            + le16(static_cast<std::uint16_t>(value >> 16));
    }

    std::string tlv(std::uint16_t type, std::string_view value)
    {
        return bigEndian16(type) + bigEndian16(static_cast<std::uint16_t>(value.size())) + std::string(value);
    }

    std::string byteText(std::string_view text)
    {
        return static_cast<char>(text.size()) + std::string(text);
    }

    // A text of the extension family: length with its NUL, text, NUL.
    std::string metaText(std::string_view text)
    {
        return le16(static_cast<std::uint16_t>(text.size() + 1)) + std::string(text) + '\0';
    }

} // namespace

struct ScriptedOscarServer::State {
    struct Connection {
        int fd = -1;
        FlapSplitter splitter;
        std::uint16_t sequence = 100;
        std::string number; // Known on the session server.
        bool ready = false; // Client ready: online for the others.
        std::uint32_t status = 0;
        std::vector<std::string> buddies;
        bool dead = false;
    };

    State(std::vector<IcqUser> knownUsers, OscarHabits serverHabits)
        : users(std::move(knownUsers))
        , habits(serverHabits)
        , server({ [this](int fd) { accepted(fd); },
              [this](int fd, std::string_view bytes) { received(fd, bytes); }, [this](int fd) { ended(fd); },
              [this] { woken(); } })
    {
    }

    std::vector<IcqUser> users;
    OscarHabits habits;
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<std::pair<std::string, std::string>> injected; // Number, SNAC 04,07 data.
    std::map<std::string, std::string> cookies; // Cookie → number.
    std::map<std::string, std::vector<std::string>> sentTexts;
    std::map<std::string, std::vector<std::string>> buddyLog;
    int nextCookie = 1;
    link::testing::LoopbackServer server; // Last: its thread calls the handlers.

    const IcqUser* user(std::string_view number) const
    {
        for (const auto& u : users)
            if (u.number == number)
                return &u;
        return nullptr;
    }
    Connection* session(std::string_view number)
    {
        for (auto& c : connections)
            if (!c->dead && c->ready && c->number == number)
                return c.get();
        return nullptr;
    }
    void send(Connection& c, std::string_view bytes)
    {
        if (!c.dead)
            server.send(c.fd, bytes);
    }
    void sendFrame(Connection& c, std::uint8_t channel, std::string_view data)
    {
        FlapWriter frame(channel, ++c.sequence);
        frame.raw(data);
        send(c, frame.finish());
    }
    void sendSnac(Connection& c, std::uint16_t family, std::uint16_t subtype, std::string_view data,
        std::uint32_t requestId = 0)
    {
        FlapWriter frame(kChannelSnac, ++c.sequence);
        frame.snac(family, subtype, requestId).raw(data);
        send(c, frame.finish());
    }

    void accepted(int fd);
    void received(int fd, std::string_view bytes);
    void ended(int fd);
    void woken();
    void drop(Connection& c);
    void handleFrame(Connection& c, const FlapFrame& frame);
    void signOn(Connection& c, std::string_view data);
    void handleSnac(Connection& c, std::string_view data);
    void service(Connection& c, std::uint16_t subtype, ByteReader& reader);
    void addBuddy(Connection& c, ByteReader& reader);
    void announce(Connection& c, bool online);
    void message(Connection& c, ByteReader& reader);
    void meta(Connection& c, ByteReader& reader);
    void metaAnswer(Connection& c, std::uint16_t type, std::string_view sequence, std::string_view body);
    std::string presence(Connection& c);
};

ScriptedOscarServer::ScriptedOscarServer(std::vector<IcqUser> users, OscarHabits habits)
    : m_state(std::make_unique<State>(std::move(users), habits))
{
}

ScriptedOscarServer::~ScriptedOscarServer() = default;

std::uint16_t ScriptedOscarServer::port() const
{
    return m_state->server.port();
}

void ScriptedOscarServer::sendChannelOne(
    std::string_view to, std::string_view sender, std::uint16_t charset, std::string_view text)
{
    // Fragment 5 (capabilities), then fragment 1: charset, subset, text.
    const std::string fragments = std::string("\x05\x01\x00\x01\x01", 5) + "\x01\x01"
        + bigEndian16(static_cast<std::uint16_t>(text.size() + 4)) + bigEndian16(charset) + bigEndian16(0)
        + std::string(text);
    const std::string data = std::string(8, 'M') + bigEndian16(1) + byteText(sender) + bigEndian16(0)
        + bigEndian16(0) + tlv(2, fragments);
    auto lock = m_state->server.lock();
    m_state->injected.emplace_back(to, data);
    m_state->server.wake();
}

void ScriptedOscarServer::shutDown()
{
    auto lock = m_state->server.lock();
    m_state->connections.clear();
    m_state->server.shutDown();
}

bool ScriptedOscarServer::isOnline(std::string_view number) const
{
    auto lock = m_state->server.lock();
    return m_state->session(number) != nullptr;
}

std::vector<std::string> ScriptedOscarServer::buddiesOf(std::string_view number) const
{
    auto lock = m_state->server.lock();
    auto found = m_state->buddyLog.find(std::string(number));
    return found == m_state->buddyLog.end() ? std::vector<std::string> {} : found->second;
}

std::vector<std::string> ScriptedOscarServer::messagesFrom(std::string_view number) const
{
    auto lock = m_state->server.lock();
    auto found = m_state->sentTexts.find(std::string(number));
    return found == m_state->sentTexts.end() ? std::vector<std::string> {} : found->second;
}

void ScriptedOscarServer::State::accepted(int fd)
{
    auto c = std::make_unique<Connection>();
    c->fd = fd;
    sendFrame(*c, kChannelSignOn, bigEndian32(1));
    connections.push_back(std::move(c));
}

void ScriptedOscarServer::State::received(int fd, std::string_view bytes)
{
    if (Connection* c = link::testing::connectionOf(connections, fd)) {
        c->splitter.feed(bytes);
        while (auto next = c->splitter.next()) {
            if (*next)
                handleFrame(*c, **next);
            if (c->dead)
                break;
        }
    }
    link::testing::forgetDead(connections, server);
}

void ScriptedOscarServer::State::ended(int fd)
{
    if (Connection* c = link::testing::connectionOf(connections, fd))
        drop(*c);
    link::testing::forgetDead(connections, server);
}

void ScriptedOscarServer::State::woken()
{
    for (auto& [number, data] : std::exchange(injected, {}))
        if (Connection* c = session(number))
            sendSnac(*c, 0x04, 0x07, data);
}

void ScriptedOscarServer::State::drop(Connection& c)
{
    if (c.dead)
        return;
    if (c.ready)
        announce(c, false);
    c.dead = true;
}

void ScriptedOscarServer::State::handleFrame(Connection& c, const FlapFrame& frame)
{
    if (frame.channel == kChannelSignOn)
        signOn(c, frame.data);
    else if (frame.channel == kChannelSnac)
        handleSnac(c, frame.data);
    else if (frame.channel == kChannelSignOff)
        drop(c);
}

void ScriptedOscarServer::State::signOn(Connection& c, std::string_view data)
{
    ByteReader reader(data);
    (void)reader.u32(); // Protocol version.
    const auto tlvs = readTlvs(reader);
    if (const Tlv* cookie = findTlv(tlvs, 6)) {
        // At the session server.
        auto found = cookies.find(cookie->value);
        if (found == cookies.end()) {
            drop(c);
            return;
        }
        c.number = found->second;
        cookies.erase(found);
        sendSnac(c, 0x01, 0x03, bigEndian16(1) + bigEndian16(3) + bigEndian16(4) + bigEndian16(0x15));
        return;
    }
    const Tlv* uin = findTlv(tlvs, 1);
    const Tlv* roasted = findTlv(tlvs, 2);
    const IcqUser* u = uin ? user(uin->value) : nullptr;
    std::uint16_t error = habits.signOnError;
    if (!error && (!u || !roasted || roastPassword(roasted->value) != u->password))
        error = kWrongPassword;
    const std::string number = uin ? uin->value : std::string();
    if (error) {
        // As real servers send it: number, error page, error code.
        sendFrame(c, kChannelSignOff,
            tlv(1, number) + tlv(4, "http://www.icq.example/errors") + tlv(8, bigEndian16(error)));
    } else {
        const std::string cookie = "BOS-COOKIE-" + std::to_string(nextCookie++);
        cookies[cookie] = number;
        sendFrame(c, kChannelSignOff,
            tlv(1, number) + tlv(5, "127.0.0.1:" + std::to_string(server.port())) + tlv(6, cookie));
    }
    c.dead = true; // The login server's part is over.
}

void ScriptedOscarServer::State::handleSnac(Connection& c, std::string_view data)
{
    ByteReader reader(data);
    auto header = readSnacHeader(reader);
    if (!header || c.number.empty())
        return;
    if (header->family == 0x01)
        service(c, header->subtype, reader);
    else if (header->family == 0x03 && header->subtype == 0x04)
        addBuddy(c, reader);
    else if (header->family == 0x04 && header->subtype == 0x06)
        message(c, reader);
    else if (header->family == 0x15 && header->subtype == 0x02)
        meta(c, reader);
}

void ScriptedOscarServer::State::service(Connection& c, std::uint16_t subtype, ByteReader& reader)
{
    switch (subtype) {
    case 0x17:
        sendSnac(c, 0x01, 0x18, reader.rest());
        break;
    case 0x06:
        sendSnac(c, 0x01, 0x07, bigEndian16(0));
        break;
    case 0x0E:
        sendSnac(c, 0x01, 0x0F, byteText(c.number) + bigEndian16(0) + bigEndian16(0), 0x0E);
        break;
    case 0x1E: {
        const auto tlvs = readTlvs(reader);
        if (const Tlv* status = findTlv(tlvs, 6)) {
            ByteReader value(status->value);
            c.status = value.u32().value_or(0);
            if (c.ready)
                announce(c, true);
        }
        break;
    }
    case 0x02:
        c.ready = true;
        announce(c, true);
        break;
    default:
        break;
    }
}

std::string ScriptedOscarServer::State::presence(Connection& c)
{
    return byteText(c.number) + bigEndian16(0) + bigEndian16(2) + tlv(6, bigEndian32(c.status))
        + tlv(0x0A, bigEndian32(0x7F000001));
}

// Everybody who has the user on the buddy list hears of it.
void ScriptedOscarServer::State::announce(Connection& c, bool online)
{
    for (auto& other : connections) {
        if (other.get() == &c || other->dead || !other->ready
            || std::ranges::count(other->buddies, c.number) == 0)
            continue;
        if (online)
            sendSnac(*other, 0x03, 0x0B, presence(c));
        else
            sendSnac(*other, 0x03, 0x0C, byteText(c.number) + bigEndian16(0) + bigEndian16(0));
    }
}

void ScriptedOscarServer::State::addBuddy(Connection& c, ByteReader& reader)
{
    while (auto number = reader.lengthText8()) {
        if (std::ranges::count(c.buddies, *number) == 0)
            c.buddies.push_back(*number);
        buddyLog[c.number].push_back(*number);
        Connection* buddy = session(*number);
        if (buddy && !habits.noInitialPresence)
            sendSnac(c, 0x03, 0x0B, presence(*buddy));
    }
}

void ScriptedOscarServer::State::message(Connection& c, ByteReader& reader)
{
    auto cookie = reader.raw(8);
    auto channel = reader.u16();
    auto to = reader.lengthText8();
    if (!cookie || !channel || !to)
        return;
    const auto tlvs = readTlvs(reader);
    const Tlv* inner = findTlv(tlvs, 5);
    if (*channel != 4 || !inner)
        return;
    ByteReader fields(inner->value);
    fields.skip(6);
    auto length = fields.u16le();
    auto text = fields.raw(std::min<std::size_t>(length.value_or(0), fields.remaining()));
    sentTexts[c.number].emplace_back(text ? std::string(text->substr(0, text->find('\0'))) : std::string());
    Connection* peer = session(*to);
    if (!peer || habits.dropChannelFour)
        return;
    sendSnac(*peer, 0x04, 0x07,
        std::string(*cookie) + bigEndian16(4) + byteText(c.number) + bigEndian16(0) + bigEndian16(0)
            + tlv(5, inner->value));
}

void ScriptedOscarServer::State::meta(Connection& c, ByteReader& reader)
{
    const auto tlvs = readTlvs(reader);
    const Tlv* request = findTlv(tlvs, 1);
    if (!request)
        return;
    ByteReader fields(request->value);
    fields.skip(2 + 4);
    auto type = fields.u16le();
    auto sequence = fields.raw(2);
    if (!type || !sequence)
        return;
    if (*type == 0x003C) {
        metaAnswer(c, 0x0042, *sequence, std::string(1, '\0'));
        return;
    }
    if (*type != kMetaRequest)
        return;
    auto subtype = fields.u16le();
    auto asked = fields.u32le();
    if (!subtype || !asked)
        return;
    const IcqUser* u = user(std::to_string(*asked));
    if (*subtype == 0x04D0 && u) {
        metaAnswer(c, 0x07DA, *sequence,
            le16(0x00C8) + '\x0A' + metaText(u->nick) + metaText("") + metaText("") + metaText(""));
    } else if (*subtype == 0x051F && !habits.ignoreLookup) {
        if (!u || habits.notFoundOnLookup) {
            metaAnswer(c, 0x07DA, *sequence, le16(0x01AE) + '\x32');
            return;
        }
        // The search result: data length, number, four texts, authorization,
        // then the user's state (0 offline, 1 online), gender and age.
        std::string found = le32(*asked) + metaText(u->nick) + metaText("") + metaText("")
            + metaText(u->number + "@icq.example") + '\x00' + le16(session(u->number) ? 1 : 0) + '\x00'
            + le16(0);
        metaAnswer(c, 0x07DA, *sequence,
            le16(0x01AE) + '\x0A' + le16(static_cast<std::uint16_t>(found.size())) + found);
    }
}

void ScriptedOscarServer::State::metaAnswer(
    Connection& c, std::uint16_t type, std::string_view sequence, std::string_view body)
{
    std::string fields = le32(static_cast<std::uint32_t>(std::stoul(c.number))) + le16(type)
        + std::string(sequence) + std::string(body);
    sendSnac(c, 0x15, 0x03, tlv(1, le16(static_cast<std::uint16_t>(fields.size())) + fields));
}

} // namespace pocket::icq::testing
