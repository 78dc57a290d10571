#include "pc/web/web_trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace pc::web {
namespace {

std::mutex g_sinkMutex;
TraceSink g_sink;

} // namespace

void setWebTraceSink(TraceSink sink)
{
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(sink);
}

void webTrace(const std::string& text)
{
    std::lock_guard lock(g_sinkMutex);
    if (g_sink)
        g_sink(text);
}

std::string traceText(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    return text;
}

} // namespace pc::web
