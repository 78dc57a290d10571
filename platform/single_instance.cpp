#include "platform/single_instance.h"

#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

// An abstract socket address: sun_path starts with a NUL byte.
socklen_t abstractAddress(const std::string& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

} // namespace

SingleInstance::SingleInstance(std::filesystem::path home, std::string name)
    : m_lockFile(std::move(home) / (name + ".lock"))
{
}

SingleInstance::~SingleInstance()
{
    if (m_listenFd >= 0) {
        if (m_loop)
            m_loop->unwatchSocket(m_listenFd);
        ::close(m_listenFd);
    }
    // Closing the descriptor releases the lock. The file stays: removing it
    // would let a third instance lock a new file while a second holds the old.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

IoResult<bool> SingleInstance::tryAcquire()
{
    if (m_lockFd >= 0)
        return true;
    TRY(createFolders(m_lockFile.parent_path()));
    int fd = ::open(m_lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kPrivateFileMode);
    if (fd < 0)
        return errorFromErrno("open " + m_lockFile.string(), errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int failure = errno;
        ::close(fd);
        if (failure == EWOULDBLOCK)
            return false;
        return errorFromErrno("flock " + m_lockFile.string(), failure);
    }
    m_lockFd = fd;
    return true;
}

IoResult<std::string> SingleInstance::socketName() const
{
    // The lock file's identity names the socket, so that two home folders
    // never share one and the name fits however long the path is.
    struct stat info {};
    if (::stat(m_lockFile.c_str(), &info) != 0)
        return errorFromErrno("stat " + m_lockFile.string(), errno);
    return "quillon-activate-" + std::to_string(info.st_dev) + "-" + std::to_string(info.st_ino);
}

IoResult<void> SingleInstance::listenForActivation(EventLoop& loop, std::function<void()> onActivate)
{
    if (m_lockFd < 0)
        return Error { ErrorCode::InvalidArgument, "activation listener without the instance lock", 0 };
    auto name = TRY(socketName());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return errorFromErrno("socket", errno);
    sockaddr_un address {};
    socklen_t length = abstractAddress(name, address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 4) != 0) {
        int failure = errno;
        ::close(fd);
        return errorFromErrno("listen " + name, failure);
    }
    m_listenFd = fd;
    m_loop = &loop;
    m_onActivate = std::move(onActivate);
    loop.watchSocket(fd, SocketCallbacks { [this] { acceptAll(); }, nullptr, nullptr });
    return {};
}

void SingleInstance::acceptAll()
{
    for (;;) {
        int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        ::close(client);
        if (m_onActivate)
            m_onActivate();
    }
}

IoResult<void> SingleInstance::requestActivation()
{
    auto name = TRY(socketName());
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return errorFromErrno("socket", errno);
    sockaddr_un address {};
    socklen_t length = abstractAddress(name, address);
    int connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length);
    int failure = errno;
    ::close(fd);
    if (connected != 0)
        return Error { ErrorCode::Unavailable, "no running instance answers", failure };
    return {};
}

} // namespace platform
