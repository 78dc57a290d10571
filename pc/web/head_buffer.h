#pragma once

// File: pc/web/head_buffer.h
// Collects the bytes of a request head as they arrive, in any chunks, until
// the blank line "\r\n\r\n". Bytes after it are ignored: the server never
// reads a request body. Pure; web_connection.h feeds it from a socket.

#include <cstddef>
#include <string>
#include <string_view>

namespace pc::web {

// A head longer than this (before the blank line) is refused with 400.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::string_view kHeadTerminator = "\r\n\r\n";

class HeadBuffer {
public:
    enum class State {
        Incomplete,
        Complete,
        TooLarge,
    };

    // Appends a chunk and reports the state reached.
    State feed(std::string_view bytes);

    State state() const { return m_state; }

    // The text before the first terminator, once Complete.
    std::string_view head() const;

    // Everything held so far, for traces.
    std::string_view held() const { return m_held; }

    // Room worth reading next without passing the limit by much.
    std::size_t readHint() const;

private:
    std::string m_held;
    std::size_t m_headLength = 0;
    State m_state = State::Incomplete;
};

} // namespace pc::web
