#include "pc/convert/dde_server.h"

#include "pc/convert/dde_names.h"
#include "platform/net_address.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace pc::convert {

struct DdeServer::Connection {
    int fd = -1;
    DdeConversationInfo info;
    bool connected = false;
    DdeFrameSplitter splitter;
};

bool sendAllBytes(int fd, std::string_view bytes)
{
    return platform::sendAll(fd, bytes).hasValue();
}

platform::IoResult<std::unique_ptr<DdeServer>> DdeServer::start(
    std::string service, DdeServerHandler& handler)
{
    std::filesystem::path socketPath;
    int listener = TRY(listenDdeService(service, socketPath));
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) != 0) {
        int error = errno;
        ::close(listener);
        return platform::errorFromErrno("pipe", error);
    }
    return std::unique_ptr<DdeServer>(
        new DdeServer(std::move(service), handler, listener, wake[0], wake[1], socketPath));
}

DdeServer::DdeServer(std::string service, DdeServerHandler& handler, int listener, int wakeRead,
    int wakeWrite, std::filesystem::path socketPath)
    : m_service(std::move(service))
    , m_handler(handler)
    , m_listener(listener)
    , m_wakeRead(wakeRead)
    , m_wakeWrite(wakeWrite)
    , m_socketPath(std::move(socketPath))
{
    m_thread = std::thread([this] { run(); });
}

DdeServer::~DdeServer()
{
    char byte = 0;
    while (::write(m_wakeWrite, &byte, 1) < 0 && errno == EINTR) { }
    m_thread.join();
    // Unregister: a later server of the same name finds no leftover socket.
    ::unlink(m_socketPath.c_str());
    ::close(m_listener);
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
}

void DdeServer::run()
{
    std::vector<std::unique_ptr<Connection>> connections;
    while (true) {
        std::vector<pollfd> fds { { m_wakeRead, POLLIN, 0 }, { m_listener, POLLIN, 0 } };
        for (const auto& connection : connections)
            fds.push_back({ connection->fd, POLLIN, 0 });
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents != 0)
            break;
        if (fds[1].revents & POLLIN) {
            int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                auto connection = std::make_unique<Connection>();
                connection->fd = fd;
                connection->info.id = m_nextId++;
                connections.push_back(std::move(connection));
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            Connection& connection = *connections[i - 2];
            if (fds[i].revents == 0 || onReadable(connection))
                continue;
            if (connection.connected)
                m_handler.disconnected(connection.info);
            ::close(connection.fd);
            connection.fd = -1;
        }
        std::erase_if(connections, [](const auto& c) { return c->fd < 0; });
    }
    for (const auto& connection : connections) {
        if (connection->connected)
            m_handler.disconnected(connection->info);
        ::close(connection->fd);
    }
}

bool DdeServer::onReadable(Connection& connection)
{
    char buffer[65536];
    ssize_t received = ::recv(connection.fd, buffer, sizeof buffer, 0);
    if (received < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (received <= 0)
        return false;
    connection.splitter.feed(std::string_view(buffer, static_cast<std::size_t>(received)));
    while (true) {
        auto frame = connection.splitter.next();
        if (!frame)
            return false;
        if (!*frame)
            return true;
        if (!handle(connection, **frame))
            return false;
    }
}

bool DdeServer::handle(Connection& connection, const DdeFrame& frame)
{
    DdeFrame reply;
    reply.type = DdeFrameType::Reply;
    reply.transaction = frame.transaction;
    if (frame.type == DdeFrameType::Disconnect)
        return false;
    if (!connection.connected) {
        if (frame.type != DdeFrameType::Connect)
            return false;
        connection.info.topic = frame.name;
        reply.flag = m_handler.acceptTopic(frame.name);
        connection.connected = reply.flag;
        return sendAllBytes(connection.fd, encodeDdeFrame(reply)) && reply.flag;
    }
    switch (frame.type) {
    case DdeFrameType::Execute: {
        std::string_view command = frame.data;
        if (!command.empty() && command.back() == '\0')
            command.remove_suffix(1);
        reply.flag = m_handler.execute(connection.info, command);
        break;
    }
    case DdeFrameType::Request:
        if (auto data = m_handler.request(connection.info, frame.name, frame.format)) {
            reply.flag = true;
            reply.data = std::move(*data);
        }
        break;
    case DdeFrameType::Poke:
        reply.flag = m_handler.poke(connection.info, frame.name, frame.format, frame.data);
        break;
    default:
        break; // A second Connect or a stray Reply is refused.
    }
    return sendAllBytes(connection.fd, encodeDdeFrame(reply));
}

} // namespace pc::convert
