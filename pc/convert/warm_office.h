#pragma once

// File: pc/convert/warm_office.h
// One LibreOffice kept running for the server's conversions, so that a view
// costs a conversion and not a start of the office suite (about 4 s). It is
// driven through the office bridge (tools/office-bridge), a helper that owns
// LibreOffice, talks to it over its UNO socket and to us over two pipes
// (office_bridge_wire.h). The bridge and LibreOffice form one process group:
// a conversion past its deadline ends both at once, and a new pair is started
// straight away; a pair that died is started again at the next conversion;
// stop() and the destructor end them.
//
// Conversions are serialised: one at a time, whatever thread calls.

#include "platform/process.h"
#include "platform/result.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert {

struct WarmOfficeConfig {
    // The bridge's command line, program first; the bridge's own options
    // (--soffice, --profile, --pipe) are added.
    std::vector<std::string> bridge;
    std::string soffice = "soffice";
    // LibreOffice's user profile, kept between runs (a first start that
    // creates it takes longer).
    std::filesystem::path profileFolder;
    // How long a start may take before the office counts as unavailable.
    std::chrono::milliseconds startTimeout { 90000 };
};

class WarmOffice {
public:
    explicit WarmOffice(WarmOfficeConfig config);
    ~WarmOffice();
    WarmOffice(const WarmOffice&) = delete;
    WarmOffice& operator=(const WarmOffice&) = delete;

    // Starts the bridge when none is running, without waiting for it.
    void start();
    // Starts it when needed and waits at most `wait` until LibreOffice is
    // up. Timeout leaves a start that is still within its own time running;
    // Unavailable when it cannot start.
    platform::IoResult<void> waitUntilReady(std::chrono::milliseconds wait);
    // Ends the bridge and LibreOffice at once, also during a conversion
    // (which then fails with Closed).
    void stop();

    // Converts `source` into `target` in `format` (as `soffice --convert-to`
    // takes it) and returns the sheet names of a spreadsheet. Errors:
    // Unavailable when the office cannot be started (use another way);
    // Protocol when the office refused the document (damaged, protected,
    // empty, of another kind); Timeout when it ran past `deadline` (the
    // office was ended and is starting again); Closed when the office ended
    // during the conversion.
    platform::IoResult<std::vector<std::string>> convert(const std::filesystem::path& source,
        const std::filesystem::path& target, std::string_view format, std::chrono::milliseconds deadline);

    // How many bridges were started so far.
    int startCount() const;
    // The running bridge's process id, or -1.
    int bridgeProcess() const;

private:
    enum class Attempt {
        Done,
        Retry,
    };

    void startLocked();
    void stopLocked();
    platform::IoResult<void> ensureReadyLocked();
    platform::IoResult<void> awaitReadyLocked(std::chrono::steady_clock::time_point until);
    platform::IoResult<Attempt> tryConvertLocked(const std::string& request,
        std::chrono::milliseconds deadline, std::vector<std::string>& sheets);

    WarmOfficeConfig m_config;
    // The running bridge, readable without the lock so that stop() can end
    // a conversion that holds it.
    std::atomic<int> m_bridgePid { -1 };
    mutable std::mutex m_mutex;
    std::optional<platform::ChildProcess> m_bridge; // Guarded by m_mutex, as the rest.
    bool m_ready = false;
    std::chrono::steady_clock::time_point m_startedAt;
    int m_starts = 0;
};

} // namespace pc::convert
