#pragma once

// File: platform/result.h
// A value or an error, shaped like std::expected so that it can be swapped in
// later. Protocol and I/O paths return these instead of throwing.
//
//     Result<int, ParseError> r = parseNumber(text);
//     if (!r)
//         return r.error();
//     use(*r);

#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace platform {

template<typename E>
class Unexpected {
public:
    explicit Unexpected(E error)
        : m_error(std::move(error))
    {
    }
    E& error() { return m_error; }
    const E& error() const { return m_error; }

private:
    E m_error;
};

template<typename E>
Unexpected<std::decay_t<E>> unexpected(E&& error)
{
    return Unexpected<std::decay_t<E>>(std::forward<E>(error));
}

template<typename T, typename E>
class [[nodiscard]] Result {
public:
    Result(const T& value)
        : m_state(std::in_place_index<0>, value)
    {
    }
    Result(T&& value)
        : m_state(std::in_place_index<0>, std::move(value))
    {
    }
    template<typename U, typename = std::enable_if_t<std::is_constructible_v<T, U&&> && !std::is_same_v<std::decay_t<U>, Result> && !std::is_same_v<std::decay_t<U>, T>>>
    Result(U&& value)
        : m_state(std::in_place_index<0>, T(std::forward<U>(value)))
    {
    }
    template<typename G>
    Result(Unexpected<G> error)
        : m_state(std::in_place_index<1>, E(std::move(error.error())))
    {
    }
    // An error of the exact error type converts directly, so that
    // `return r.error();` passes an error up.
    template<typename G = E, typename = std::enable_if_t<!std::is_convertible_v<G, T>>>
    Result(const E& error)
        : m_state(std::in_place_index<1>, error)
    {
    }

    bool hasValue() const { return m_state.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T& value() & { assert(hasValue()); return std::get<0>(m_state); }
    const T& value() const& { assert(hasValue()); return std::get<0>(m_state); }
    T&& value() && { assert(hasValue()); return std::get<0>(std::move(m_state)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const E& error() const { assert(!hasValue()); return std::get<1>(m_state); }
    E& error() { assert(!hasValue()); return std::get<1>(m_state); }

    template<typename U>
    T valueOr(U&& fallback) const { return hasValue() ? value() : T(std::forward<U>(fallback)); }

private:
    std::variant<T, E> m_state;
};

// A result that carries no value: success, or an error.
template<typename E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    template<typename G>
    Result(Unexpected<G> error)
        : m_failed(true)
        , m_error(std::move(error.error()))
    {
    }
    Result(const E& error)
        : m_failed(true)
        , m_error(error)
    {
    }

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    // Lets TRY() pass up the error of a Result<void, E> as a statement.
    void value() const { assert(hasValue()); }
    const E& error() const { assert(m_failed); return m_error; }

private:
    bool m_failed = false;
    E m_error {};
};

// The short fixed list of I/O failure kinds; errno is converted once, where
// the system call is made (see platform/error.h).
enum class ErrorCode {
    NotFound,
    PermissionDenied,
    IoError,
    Timeout,
    Closed,
    Protocol,
    InvalidArgument,
    Unavailable,
};

struct Error {
    ErrorCode code = ErrorCode::IoError;
    std::string context;
    int systemError = 0; // errno where there was one, for traces.
};

// Builds an Error from errno and a short context ("open /a/b").
Error errorFromErrno(std::string context, int errnoValue);

// Text for traces: "open /a/b: No such file or directory".
std::string describe(const Error& error);

template<typename T>
using IoResult = Result<T, Error>;

} // namespace platform

// Passes an error up: `auto value = TRY(parse(text));`
#define TRY(expression)                                  \
    ({                                                   \
        auto _tryResult = (expression);                  \
        if (!_tryResult)                                 \
            return ::platform::unexpected(_tryResult.error()); \
        std::move(_tryResult).value();                   \
    })
