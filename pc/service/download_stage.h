#pragma once

// File: pc/service/download_stage.h
// The files the handheld downloads (codes 308 and 323), put into
// "pda_Download" for the web server to send, and taken out again: as soon
// as a GET for one has been answered (the server sends from the file it
// opened, so the name can go), at log-out, and when the service starts or
// stops. At most kMaxEntries wait at any time, the oldest making room.
//
// A file is staged as a hard link where the file system allows (no copy of a
// 300 MB file, no space used), else as a copy. A hard link is the user's
// file under a second name; nothing in this program ever writes into a file
// of "pda_Download" in place: a file is staged under a temporary name and
// renamed over the old one, and every other writer there (createReplacing,
// writeFileAtomically, the web server's DELETE) unlinks or renames. So a
// later write under that name replaces the link and never reaches the
// user's original, and the stage never changes a staged file's mode or
// owner. Removing a link removes only the name.
//
// stage() and clear() run on the window thread, serve() on the web server's
// thread; one lock keeps a name from being removed between the web server
// opening it and the stage seeing it served.

#include "platform/result.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace pc::service {

class DownloadStage {
public:
    static constexpr std::size_t kMaxEntries = 4;

    enum class Kind { Link, Copy };
    struct Staged {
        std::uint64_t size = 0;
        Kind kind = Kind::Copy;
    };

    explicit DownloadStage(std::filesystem::path folder);

    // Puts the regular file `source` into the folder as `name` (a safe single
    // component), replacing what stood there.
    platform::IoResult<Staged> stage(const std::filesystem::path& source, const std::string& name);

    // Web server thread: `answer` opens and answers a request for
    // `localPath` and says whether it was a GET answered with the file; the
    // staged name then goes.
    void serve(const std::filesystem::path& localPath, const std::function<bool()>& answer);

    // Log-out: every staged file goes.
    void clearStaged();
    // Start and stop of the service: the folder is emptied, leftovers of an
    // earlier run included.
    void clearFolder();

    // Off: files are copied, as on a file system without hard links (tests).
    void setLinksAllowed(bool allowed) { m_linksAllowed = allowed; }

    const std::filesystem::path& folder() const { return m_folder; }
    std::size_t stagedCount() const;

private:
    void removeLocked(const std::string& name);

    std::filesystem::path m_folder;
    mutable std::mutex m_mutex;
    std::deque<std::string> m_names; // Oldest first. Guarded by m_mutex.
    unsigned m_serial = 0; // Temporary names. Window thread only.
    bool m_linksAllowed = true;
};

} // namespace pc::service
