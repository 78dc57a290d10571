#pragma once

// File: pc/web/registry_content_types.h
// Content types from the registry store, as the server has always read them:
// the value "Content Type" of the key HKEY_CLASSES_ROOT\<extension>, at most
// 260 bytes. FirstFoundContentTypes asks its sources in turn, so that the
// system's /etc/mime.types comes first and the registry store after it.
//
//     MimeTypesFile mimeTypes(std::string(MimeTypesFile::kSystemPath));
//     RegistryContentTypes registryTypes(*registry);
//     FirstFoundContentTypes types({ &mimeTypes, &registryTypes });

#include "pc/web/content_type_cache.h"
#include "platform/registry.h"

#include <vector>

namespace pc::web {

class RegistryContentTypes final : public ContentTypeSource {
public:
    static constexpr std::size_t kMaxTypeBytes = 260;

    // The registry outlives this object.
    explicit RegistryContentTypes(const platform::Registry& registry);
    std::optional<std::string> lookup(std::string_view extension) const override;

private:
    const platform::Registry& m_registry;
};

class FirstFoundContentTypes final : public ContentTypeSource {
public:
    // The sources outlive this object.
    explicit FirstFoundContentTypes(std::vector<const ContentTypeSource*> sources);
    std::optional<std::string> lookup(std::string_view extension) const override;

private:
    std::vector<const ContentTypeSource*> m_sources;
};

} // namespace pc::web
