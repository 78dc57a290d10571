#pragma once

// File: pc/convert/dispatch.h
// The stand-in for COM automation: objects created by ProgID or class id
// from a registry of providers, and invoked by dispatch id, kind and
// argument list as the automation client records them. Providers check what
// they are given and answer with a value or an automation error, never an
// exception. Objects are used by one thread at a time.
//
//     DispatchRegistry registry;
//     registerLibreOfficeProviders(registry, config);
//     auto word = TRY(registry.create("Word.Application"));
//     TRY(word->invoke(0x17, InvokeKind::PropertyPut, { Variant::i2(1) }));

#include "platform/result.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pc::convert {

class DispatchObject;

enum class InvokeKind {
    Method,
    PropertyGet,
    PropertyPut,
};

using DispId = std::int32_t;

// "Missing" stands for an optional argument left out (VT_ERROR with
// DISP_E_PARAMNOTFOUND).
struct Missing {
    bool operator==(const Missing&) const = default;
};

// An automation value: empty, missing, 16- or 32-bit integer, string, string
// array or object.
class Variant {
public:
    using Value = std::variant<std::monostate, Missing, std::int16_t, std::int32_t, std::string,
        std::vector<std::string>, std::shared_ptr<DispatchObject>>;

    Variant() = default;
    static Variant missing() { return Variant(Missing {}); }
    static Variant i2(std::int16_t value) { return Variant(value); }
    static Variant i4(std::int32_t value) { return Variant(value); }
    static Variant string(std::string value) { return Variant(std::move(value)); }
    static Variant strings(std::vector<std::string> value) { return Variant(std::move(value)); }
    static Variant object(std::shared_ptr<DispatchObject> value) { return Variant(std::move(value)); }

    const Value& value() const { return m_value; }
    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isMissing() const { return std::holds_alternative<Missing>(m_value); }
    // The number of an I2 or I4 value.
    bool isInteger() const;
    std::int32_t integer() const;
    bool isString() const { return std::holds_alternative<std::string>(m_value); }
    const std::string& string() const { return std::get<std::string>(m_value); }
    std::shared_ptr<DispatchObject> object() const;

    bool operator==(const Variant& other) const { return m_value == other.m_value; }
    // For traces and test messages: "I2 1", "BSTR \"a\"", "missing" ...
    std::string describe() const;

private:
    template <typename T>
    explicit Variant(T value)
        : m_value(std::move(value))
    {
    }
    Value m_value;
};

using Arguments = std::vector<Variant>;

enum class DispatchErrorCode {
    ClassNotRegistered, // No provider for the name (REGDB_E_CLASSNOTREG).
    ServerUnavailable, // The provider's program is missing (CO_E_SERVER_EXEC_FAILURE).
    MemberNotFound, // DISP_E_MEMBERNOTFOUND.
    BadArguments, // DISP_E_TYPEMISMATCH, DISP_E_BADPARAMCOUNT.
    Exception, // DISP_E_EXCEPTION: the program failed at the task.
};

struct DispatchError {
    DispatchErrorCode code = DispatchErrorCode::Exception;
    std::string text;
};

template <typename T> using DispatchResult = platform::Result<T, DispatchError>;

class DispatchObject {
public:
    virtual ~DispatchObject() = default;
    virtual DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) = 0;
};

// Makes a new object for each create(); ServerUnavailable when its program
// cannot run.
using DispatchFactory = std::function<DispatchResult<std::shared_ptr<DispatchObject>>()>;

// The providers by ProgID or class id ("{BD9C...}"); names compare without
// regard to ASCII case. Thread-safe once filled.
class DispatchRegistry {
public:
    void add(std::string_view name, DispatchFactory factory);
    DispatchResult<std::shared_ptr<DispatchObject>> create(std::string_view name) const;

private:
    std::map<std::string, DispatchFactory> m_factories; // By lower-case name.
};

// Helpers for providers.
DispatchError memberNotFound(DispId id, InvokeKind kind);
DispatchError badArguments(std::string_view what);

} // namespace pc::convert
