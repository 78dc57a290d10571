#include "pc/web/web_trace.h"

#include "platform/trace.h"

#include <cstdarg>
#include <cstdio>

namespace pc::web {

void webTrace(const std::string& text)
{
    platform::trace(text);
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
