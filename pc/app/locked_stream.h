#pragma once

// File: pc/app/locked_stream.h
// Standard output is shared by the log pane (window thread) and the web
// server's access log (its listener thread). LockedStream forwards to one
// target stream buffer under a mutex, so that writes from both threads never
// race; each write (one log entry, one access-log line) goes out whole.

#include <mutex>
#include <ostream>
#include <streambuf>

namespace pc::app {

class LockedStreamBuf final : public std::streambuf {
public:
    explicit LockedStreamBuf(std::streambuf* target)
        : m_target(target)
    {
    }

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        std::lock_guard lock(m_mutex);
        std::streamsize written = m_target->sputn(data, count);
        m_target->pubsync();
        return written;
    }
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        std::lock_guard lock(m_mutex);
        return m_target->sputc(traits_type::to_char_type(c));
    }
    int sync() override
    {
        std::lock_guard lock(m_mutex);
        return m_target->pubsync();
    }

private:
    std::streambuf* m_target;
    std::mutex m_mutex;
};

// An ostream over a LockedStreamBuf; the target outlives it.
class LockedStream final : public std::ostream {
public:
    explicit LockedStream(std::ostream& target)
        : std::ostream(nullptr)
        , m_buffer(target.rdbuf())
    {
        rdbuf(&m_buffer);
    }

private:
    LockedStreamBuf m_buffer;
};

} // namespace pc::app
