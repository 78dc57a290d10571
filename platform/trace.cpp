#include "platform/trace.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>

namespace platform {
namespace {

std::atomic<int> g_enabled { -1 }; // -1: not yet decided from the environment.
std::mutex g_mutex;
std::ostream* g_stream = nullptr;

} // namespace

void setTraceEnabled(bool enabled)
{
    g_enabled = enabled ? 1 : 0;
}

bool traceEnabled()
{
    int state = g_enabled.load();
    if (state < 0) {
        const char* value = std::getenv("QUILLON_TRACE");
        int fromEnvironment = (value && std::strcmp(value, "1") == 0) ? 1 : 0;
        // A program's own setting made in the meantime wins.
        g_enabled.compare_exchange_strong(state, fromEnvironment);
        state = g_enabled.load();
    }
    return state == 1;
}

void trace(std::string_view text)
{
    if (!traceEnabled())
        return;
    std::lock_guard lock(g_mutex);
    std::ostream& out = g_stream ? *g_stream : std::cerr;
    out << text;
    if (text.empty() || text.back() != '\n')
        out << '\n';
    out.flush();
}

void setTraceStream(std::ostream* stream)
{
    std::lock_guard lock(g_mutex);
    g_stream = stream;
}

} // namespace platform
