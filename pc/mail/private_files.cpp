#include "pc/mail/private_files.h"

#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::mail {
namespace {

constexpr mode_t kFileMode = 0600;
constexpr mode_t kFolderMode = 0700;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

platform::IoResult<void> writeWithFlags(const std::filesystem::path& file, std::string_view bytes, int flags)
{
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, kFileMode));
    if (fd.get() < 0)
        return platform::errorFromErrno("open " + file.string(), errno);
    // A file made earlier with a wider mode is narrowed too.
    ::fchmod(fd.get(), kFileMode);
    return platform::writeAll(fd.get(), bytes, file.string());
}

} // namespace

platform::IoResult<std::string> readFileBytes(const std::filesystem::path& file)
{
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return platform::errorFromErrno("open " + file.string(), errno);
    std::string out;
    char buffer[65536];
    while (true) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return platform::errorFromErrno("read " + file.string(), errno);
        }
        if (got == 0)
            return out;
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

platform::IoResult<void> writePrivateFile(const std::filesystem::path& file, std::string_view bytes)
{
    return writeWithFlags(file, bytes, O_TRUNC);
}

platform::IoResult<void> appendPrivateFile(const std::filesystem::path& file, std::string_view bytes)
{
    return writeWithFlags(file, bytes, O_APPEND);
}

platform::IoResult<void> createPrivateFileIfMissing(const std::filesystem::path& file)
{
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode));
    if (fd.get() < 0 && errno != EEXIST)
        return platform::errorFromErrno("create " + file.string(), errno);
    return {};
}

platform::IoResult<void> createPrivateFolders(const std::filesystem::path& folder)
{
    std::filesystem::path current;
    for (const auto& component : folder) {
        current /= component;
        if (::mkdir(current.c_str(), kFolderMode) != 0 && errno != EEXIST)
            return platform::errorFromErrno("mkdir " + current.string(), errno);
    }
    return {};
}

} // namespace pc::mail
