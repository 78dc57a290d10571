#include "pc/service/download_stage.h"

#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pc::service {

namespace {

platform::Error systemError(std::string context, int error)
{
    return platform::Error { error == ENOENT ? platform::ErrorCode::NotFound : platform::ErrorCode::IoError,
        std::move(context), error };
}

// A hard link to the file itself (not to a symbolic link naming it).
bool linkFile(const std::filesystem::path& source, const std::filesystem::path& target)
{
    return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace

DownloadStage::DownloadStage(std::filesystem::path folder)
    : m_folder(std::move(folder))
{
}

platform::IoResult<DownloadStage::Staged> DownloadStage::stage(const std::filesystem::path& source,
    const std::string& name)
{
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0)
        return platform::unexpected(systemError("stat " + source.string(), errno));
    if (!S_ISREG(info.st_mode))
        return platform::unexpected(
            platform::Error { platform::ErrorCode::InvalidArgument, "not a regular file: " + source.string(), 0 });
    std::error_code ignored;
    std::filesystem::create_directories(m_folder, ignored);

    // Made under a name the handheld never asks for, then renamed into place.
    std::filesystem::path temporary = m_folder / (".staging-" + std::to_string(++m_serial));
    ::unlink(temporary.c_str());
    Staged staged;
    if (m_linksAllowed && linkFile(source, temporary)) {
        staged.kind = Kind::Link;
        staged.size = static_cast<std::uint64_t>(info.st_size);
    } else {
        // Another file system, or a file this user may read but not link
        // (fs.protected_hardlinks): a copy, removed like a link.
        auto copied = platform::copyFileReplacing(source, temporary);
        if (!copied)
            return platform::unexpected(copied.error());
        staged.kind = Kind::Copy;
        staged.size = *copied;
        // The copy carries the source's date, as a link does: the web server
        // names a file's version by it, and a handheld resuming a cut
        // download must find the same version for the same source.
        const timespec times[2] = { { 0, UTIME_OMIT }, info.st_mtim };
        (void)::utimensat(AT_FDCWD, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    std::lock_guard lock(m_mutex);
    removeLocked(name);
    while (m_names.size() >= kMaxEntries)
        removeLocked(m_names.front());
    if (::rename(temporary.c_str(), (m_folder / name).c_str()) != 0) {
        int error = errno;
        ::unlink(temporary.c_str());
        return platform::unexpected(systemError("rename into " + (m_folder / name).string(), error));
    }
    m_names.push_back(name);
    return staged;
}

void DownloadStage::serve(const std::filesystem::path& localPath, const std::function<bool()>& answer)
{
    std::lock_guard lock(m_mutex);
    bool whole = answer();
    if (!whole || localPath.parent_path().lexically_normal() != m_folder.lexically_normal())
        return;
    std::string name = localPath.filename().string();
    if (std::find(m_names.begin(), m_names.end(), name) != m_names.end())
        removeLocked(name);
}

void DownloadStage::removeLocked(const std::string& name)
{
    auto found = std::find(m_names.begin(), m_names.end(), name);
    if (found != m_names.end())
        m_names.erase(found);
    // Only the name goes; a linked original stays as it is.
    ::unlink((m_folder / name).c_str());
}

void DownloadStage::clearStaged()
{
    std::lock_guard lock(m_mutex);
    while (!m_names.empty())
        removeLocked(m_names.front());
}

void DownloadStage::clearFolder()
{
    std::lock_guard lock(m_mutex);
    m_names.clear();
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(m_folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        // Files only (links and copies); a folder someone put there stays.
        if (!it->is_directory(ignored))
            ::unlink(it->path().c_str());
    }
}

std::size_t DownloadStage::stagedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_names.size();
}

} // namespace pc::service
