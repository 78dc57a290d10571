#pragma once

// File: platform/single_instance.h
// One running instance per home folder. The first instance holds an flock on
// "<home>/<name>.lock" for as long as it lives; a second instance fails to get
// it and asks the first to come to the front through a Unix socket in the
// abstract namespace named after the lock file, which disappears with the
// process that listens on it (no stale socket files).
//
//     platform::SingleInstance instance(home, "quillon");
//     if (!TRY(instance.tryAcquire())) {
//         (void)instance.requestActivation();
//         return 1;
//     }
//     TRY(instance.listenForActivation(loop, [&] { window.bringToFront(); }));
//
// Lives on the window thread.

#include "platform/event_loop.h"
#include "platform/result.h"

#include <filesystem>
#include <functional>
#include <string>

namespace platform {

class SingleInstance {
public:
    SingleInstance(std::filesystem::path home, std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object now holds the lock; false when another instance
    // does. Creates the home folder and lock file as needed.
    IoResult<bool> tryAcquire();
    bool isHeld() const { return m_lockFd >= 0; }

    // For the first instance: each activation request calls onActivate on
    // the loop's thread. Needs the lock.
    IoResult<void> listenForActivation(EventLoop& loop, std::function<void()> onActivate);

    // For a second instance: asks the holder to come to the front.
    // Unavailable when nobody listens.
    IoResult<void> requestActivation();

private:
    IoResult<std::string> socketName() const;
    void acceptAll();

    std::filesystem::path m_lockFile;
    int m_lockFd = -1;
    int m_listenFd = -1;
    EventLoop* m_loop = nullptr;
    std::function<void()> m_onActivate;
};

} // namespace platform
