#include "platform/login_throttle.h"

#include <algorithm>

namespace platform {

Ticks LoginThrottle::delayAfter(int failures)
{
    // One mistyped password costs nothing; from the second failure on the
    // wait doubles.
    if (failures < 2)
        return Ticks { 0 };
    Ticks delay = kFirstDelay;
    for (int i = 2; i < failures && delay < kMaxDelay; ++i)
        delay *= 2;
    return std::min(delay, kMaxDelay);
}

Ticks LoginThrottle::delayFor(std::string_view address, Ticks now) const
{
    auto found = m_records.find(address);
    if (found == m_records.end() || now - found->second.lastFailure >= kForgetAfter)
        return Ticks { 0 };
    return std::max(Ticks { 0 }, found->second.allowedFrom - now);
}

int LoginThrottle::failures(std::string_view address, Ticks now) const
{
    auto found = m_records.find(address);
    if (found == m_records.end() || now - found->second.lastFailure >= kForgetAfter)
        return 0;
    return found->second.failures;
}

LoginThrottle::Failure LoginThrottle::onFailure(std::string_view address, Ticks now)
{
    auto found = m_records.find(address);
    if (found == m_records.end()) {
        makeRoom(now);
        found = m_records.emplace(std::string(address), Record {}).first;
    }
    Record& record = found->second;
    if (record.failures > 0 && now - record.lastFailure >= kForgetAfter)
        record = Record {};
    ++record.failures;
    record.lastFailure = now;
    Failure failure;
    failure.failures = record.failures;
    failure.nextDelay = delayAfter(record.failures);
    record.allowedFrom = now + failure.nextDelay;
    failure.startsBurst = record.failures == 1;
    failure.startsDelay = record.failures == 2;
    return failure;
}

void LoginThrottle::onSuccess(std::string_view address)
{
    if (auto found = m_records.find(address); found != m_records.end())
        m_records.erase(found);
}

void LoginThrottle::makeRoom(Ticks now)
{
    if (m_records.size() < kMaxAddresses)
        return;
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (now - it->second.lastFailure >= kForgetAfter)
            it = m_records.erase(it);
        else
            ++it;
    }
    if (m_records.size() < kMaxAddresses)
        return;
    auto quietest = std::min_element(m_records.begin(), m_records.end(),
        [](const auto& a, const auto& b) { return a.second.lastFailure < b.second.lastFailure; });
    m_records.erase(quietest);
}

} // namespace platform
