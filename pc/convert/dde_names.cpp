#include "pc/convert/dde_names.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pc::convert {

namespace {

platform::IoResult<sockaddr_un> addressOf(std::string_view service)
{
    auto folder = TRY(ddeServiceFolder());
    std::string path = (folder / ddeSocketName(service)).string();
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return platform::Error { platform::ErrorCode::InvalidArgument, "DDE service name too long: " + path,
            0 };
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

platform::IoResult<int> newSocket()
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return platform::errorFromErrno("socket", errno);
    return fd;
}

} // namespace

platform::IoResult<std::filesystem::path> ddeServiceFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path folder = runtime && *runtime
        ? std::filesystem::path(runtime) / "quillon-dde"
        : std::filesystem::path("/tmp") / ("quillon-dde-" + std::to_string(::getuid()));
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return platform::errorFromErrno("mkdir " + folder.string(), errno);
    struct stat info { };
    if (::lstat(folder.c_str(), &info) != 0)
        return platform::errorFromErrno("stat " + folder.string(), errno);
    // Another user's folder (or a link planted in /tmp) is not ours to use.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return platform::Error { platform::ErrorCode::PermissionDenied,
            "not a private folder: " + folder.string(), 0 };
    return folder;
}

std::string ddeSocketName(std::string_view service)
{
    static const char* hex = "0123456789ABCDEF";
    std::string name;
    for (unsigned char c : service) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '_';
        if (plain) {
            name.push_back(static_cast<char>(c));
        } else {
            name.push_back('%');
            name.push_back(hex[c >> 4]);
            name.push_back(hex[c & 15]);
        }
    }
    return name + ".dde";
}

platform::IoResult<int> connectDdeService(std::string_view service)
{
    auto address = TRY(addressOf(service));
    int fd = TRY(newSocket());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        int error = errno;
        ::close(fd);
        if (error == ENOENT || error == ECONNREFUSED)
            return platform::Error { platform::ErrorCode::NotFound,
                "no DDE server for " + std::string(service), error };
        return platform::errorFromErrno("connect " + std::string(service), error);
    }
    return fd;
}

platform::IoResult<int> listenDdeService(std::string_view service, std::filesystem::path& socketPath)
{
    auto address = TRY(addressOf(service));
    if (auto live = connectDdeService(service)) {
        ::close(*live);
        return platform::Error { platform::ErrorCode::Unavailable,
            "DDE service registered already: " + std::string(service), 0 };
    }
    ::unlink(address.sun_path);
    int fd = TRY(newSocket());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        int error = errno;
        ::close(fd);
        return platform::errorFromErrno("bind " + std::string(address.sun_path), error);
    }
    socketPath = address.sun_path;
    return fd;
}

} // namespace pc::convert
