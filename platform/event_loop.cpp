#include "platform/event_loop.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

// The process-wide table of live targets. Loops look targets up here on the
// window thread before delivering; other threads only read it while posting.
struct TargetTable {
    std::mutex mutex;
    std::unordered_map<const MessageTarget*, std::uint64_t> serials;
};

TargetTable& targetTable()
{
    static TargetTable* table = new TargetTable; // Never destroyed: targets may outlive statics.
    return *table;
}

std::atomic<std::uint64_t> g_nextSerial { 1 };

} // namespace

MessageTarget::MessageTarget()
    : m_serial(g_nextSerial.fetch_add(1))
{
    auto& table = targetTable();
    std::lock_guard lock(table.mutex);
    table.serials[this] = m_serial;
}

MessageTarget::~MessageTarget()
{
    auto& table = targetTable();
    std::lock_guard lock(table.mutex);
    table.serials.erase(this);
}

LResult MessageTarget::onMessage(int, WParam, LParam)
{
    return 0;
}

void MessageTarget::onTimer(int)
{
}

std::uint64_t MessageTarget::serialIfAlive(const MessageTarget* target)
{
    if (!target)
        return 0;
    auto& table = targetTable();
    std::lock_guard lock(table.mutex);
    auto found = table.serials.find(target);
    return found == table.serials.end() ? 0 : found->second;
}

bool MessageTarget::isAlive(const MessageTarget* target, std::uint64_t serial)
{
    return serial != 0 && serialIfAlive(target) == serial;
}

} // namespace platform
