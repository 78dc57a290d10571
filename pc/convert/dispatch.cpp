#include "pc/convert/dispatch.h"

#include <cstdio>

namespace pc::convert {

namespace {

std::string lowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

} // namespace

bool Variant::isInteger() const
{
    return std::holds_alternative<std::int16_t>(m_value) || std::holds_alternative<std::int32_t>(m_value);
}

std::int32_t Variant::integer() const
{
    if (auto* small = std::get_if<std::int16_t>(&m_value))
        return *small;
    if (auto* large = std::get_if<std::int32_t>(&m_value))
        return *large;
    return 0;
}

std::shared_ptr<DispatchObject> Variant::object() const
{
    if (auto* object = std::get_if<std::shared_ptr<DispatchObject>>(&m_value))
        return *object;
    return nullptr;
}

std::string Variant::describe() const
{
    struct Describer {
        std::string operator()(std::monostate) const { return "empty"; }
        std::string operator()(Missing) const { return "missing"; }
        std::string operator()(std::int16_t v) const { return "I2 " + std::to_string(v); }
        std::string operator()(std::int32_t v) const { return "I4 " + std::to_string(v); }
        std::string operator()(const std::string& v) const { return "BSTR \"" + v + "\""; }
        std::string operator()(const std::vector<std::string>& v) const
        {
            std::string text = "BSTR[";
            for (std::size_t i = 0; i < v.size(); ++i)
                text += (i ? ", \"" : "\"") + v[i] + "\"";
            return text + "]";
        }
        std::string operator()(const std::shared_ptr<DispatchObject>& v) const
        {
            return v ? "DISPATCH" : "DISPATCH null";
        }
    };
    return std::visit(Describer {}, m_value);
}

void DispatchRegistry::add(std::string_view name, DispatchFactory factory)
{
    m_factories[lowerAscii(name)] = std::move(factory);
}

DispatchResult<std::shared_ptr<DispatchObject>> DispatchRegistry::create(std::string_view name) const
{
    auto it = m_factories.find(lowerAscii(name));
    if (it == m_factories.end())
        return DispatchError { DispatchErrorCode::ClassNotRegistered,
            "class not registered: " + std::string(name) };
    return it->second();
}

DispatchError memberNotFound(DispId id, InvokeKind kind)
{
    char text[64];
    const char* kindName = kind == InvokeKind::Method ? "method"
        : kind == InvokeKind::PropertyGet             ? "get"
                                                      : "put";
    std::snprintf(text, sizeof text, "member not found: %s 0x%X", kindName, static_cast<unsigned>(id));
    return { DispatchErrorCode::MemberNotFound, text };
}

DispatchError badArguments(std::string_view what)
{
    return { DispatchErrorCode::BadArguments, "bad arguments: " + std::string(what) };
}

} // namespace pc::convert
