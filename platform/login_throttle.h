#pragma once

// File: platform/login_throttle.h
// Slows down guessing: after failed log-ins from one address, the next check
// of credentials from that address waits a growing delay (nothing after the
// first failure, then 1 s, doubling up to a minute). A correct log-in
// forgets the address; so does a quiet spell. The command port and the web
// server's credential check each keep one. Time comes in as clock ticks; one
// owner thread.
//
//     if (auto wait = throttle.delayFor(address, clock.ticks()); wait.count() > 0)
//         return defer(wait);
//     if (!matches)
//         if (throttle.onFailure(address, clock.ticks()).startsBurst) log(...);

#include "platform/clock.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace platform {

class LoginThrottle {
public:
    static constexpr Ticks kFirstDelay { 1000 };
    static constexpr Ticks kMaxDelay { 60000 };
    // A burst ends when an address has been quiet this long.
    static constexpr Ticks kForgetAfter { 15 * 60 * 1000 };
    // Addresses remembered at most; the longest quiet one makes room.
    static constexpr std::size_t kMaxAddresses = 4096;

    struct Failure {
        int failures = 0; // In this burst, this one included.
        Ticks nextDelay { 0 }; // What the next try from the address waits.
        bool startsBurst = false; // The first failure of a burst: worth a log line.
        bool startsDelay = false; // The first failure that makes others wait.
    };

    // How long a check from `address` must still wait (zero: check now).
    Ticks delayFor(std::string_view address, Ticks now) const;
    // Failures of the address's running burst (0 when it has none).
    int failures(std::string_view address, Ticks now) const;
    Failure onFailure(std::string_view address, Ticks now);
    void onSuccess(std::string_view address);

    std::size_t addressCount() const { return m_records.size(); }

private:
    struct Record {
        int failures = 0;
        Ticks lastFailure { 0 };
        Ticks allowedFrom { 0 };
    };
    static Ticks delayAfter(int failures);
    void makeRoom(Ticks now);

    std::map<std::string, Record, std::less<>> m_records;
};

} // namespace platform
