#include "pc/web/registry_content_types.h"

namespace pc::web {

RegistryContentTypes::RegistryContentTypes(const platform::Registry& registry)
    : m_registry(registry)
{
}

std::optional<std::string> RegistryContentTypes::lookup(std::string_view extension) const
{
    auto type = m_registry.getString("HKEY_CLASSES_ROOT\\" + std::string(extension), "Content Type");
    if (!type)
        return std::nullopt;
    // The value was read into a buffer of 260 bytes, its terminator included.
    if (type->size() >= kMaxTypeBytes)
        type->resize(kMaxTypeBytes - 1);
    return type;
}

FirstFoundContentTypes::FirstFoundContentTypes(std::vector<const ContentTypeSource*> sources)
    : m_sources(std::move(sources))
{
}

std::optional<std::string> FirstFoundContentTypes::lookup(std::string_view extension) const
{
    for (const ContentTypeSource* source : m_sources) {
        if (auto type = source->lookup(extension))
            return type;
    }
    return std::nullopt;
}

} // namespace pc::web
