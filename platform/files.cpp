#include "platform/files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

IoResult<std::string> readWholeFile(const std::filesystem::path& file)
{
    // Non-blocking open: a fifo planted under the name must not hang the
    // reader; only a regular file is read.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorFromErrno("open " + file.string(), errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Error { ErrorCode::InvalidArgument, "not a regular file: " + file.string(), EINVAL };
    }
    std::string contents;
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int saved = errno;
            ::close(fd);
            return errorFromErrno("read " + file.string(), saved);
        }
        if (got == 0)
            break;
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return contents;
}

IoResult<void> createFolders(const std::filesystem::path& folder, mode_t mode)
{
    if (folder.empty())
        return {};
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return {};
        return Error { ErrorCode::IoError, "not a folder: " + folder.string(), ENOTDIR };
    }
    auto parent = folder.parent_path();
    if (!parent.empty() && parent != folder)
        TRY(createFolders(parent, mode));
    if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST)
        return errorFromErrno("mkdir " + folder.string(), errno);
    // mkdir is subject to the umask; the mode asked for is the mode meant.
    ::chmod(folder.c_str(), mode);
    return {};
}

IoResult<void> writeAll(int fd, std::string_view contents, const std::string& name)
{
    while (!contents.empty()) {
        ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errorFromErrno("write " + name, errno);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

IoResult<int> createReplacing(const std::filesystem::path& file, mode_t mode)
{
    if (::unlink(file.c_str()) != 0 && errno != ENOENT)
        return errorFromErrno("unlink " + file.string(), errno);
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return errorFromErrno("create " + file.string(), errno);
    return fd;
}

IoResult<std::uint64_t> copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target,
    mode_t mode)
{
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return errorFromErrno("open " + source.string(), errno);
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return Error { ErrorCode::InvalidArgument, "not a regular file: " + source.string(), EINVAL };
    }
    auto out = createReplacing(target, mode);
    if (!out) {
        ::close(in);
        return out.error();
    }
    std::uint64_t copied = 0;
    char buffer[65536];
    IoResult<std::uint64_t> result = copied;
    for (;;) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result = errorFromErrno("read " + source.string(), errno);
            break;
        }
        if (got == 0) {
            result = copied;
            break;
        }
        if (auto written = writeAll(*out, std::string_view(buffer, static_cast<std::size_t>(got)), target.string());
            !written) {
            result = written.error();
            break;
        }
        copied += static_cast<std::uint64_t>(got);
    }
    ::close(in);
    ::close(*out);
    if (!result)
        ::unlink(target.c_str());
    return result;
}

IoResult<void> writeFileAtomically(const std::filesystem::path& file, std::string_view contents, mode_t mode)
{
    auto folder = file.parent_path();
    TRY(createFolders(folder));
    std::string temporary = (folder.empty() ? std::filesystem::path(".") : folder) / ("." + file.filename().string() + ".XXXXXX");
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errorFromErrno("create " + temporary, errno);
    auto fail = [&](Error error) -> IoResult<void> {
        ::close(fd);
        ::unlink(temporary.c_str());
        return error;
    };
    if (::fchmod(fd, mode) != 0)
        return fail(errorFromErrno("chmod " + temporary, errno));
    if (auto written = writeAll(fd, contents, temporary); !written)
        return fail(written.error());
    if (::fsync(fd) != 0)
        return fail(errorFromErrno("fsync " + temporary, errno));
    if (::close(fd) != 0) {
        ::unlink(temporary.c_str());
        return errorFromErrno("close " + temporary, errno);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        return errorFromErrno("rename " + file.string(), saved);
    }
    return {};
}

} // namespace platform
