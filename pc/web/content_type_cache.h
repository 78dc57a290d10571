#pragma once

// File: pc/web/content_type_cache.h
// Content types by file extension. A ContentTypeSource answers from the
// system's table (/etc/mime.types); CContentTypeCache keeps what it found, one
// per server, and may be used from any thread.
//
//     MimeTypesFile mimeTypes("/etc/mime.types");
//     CContentTypeCache cache(mimeTypes);
//     cache.contentTypeFor(".HTM"); // "text/html"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::web {

// Where content types come from when the cache does not hold them.
class ContentTypeSource {
public:
    virtual ~ContentTypeSource() = default;
    // `extension` is lower case with its dot: ".htm".
    virtual std::optional<std::string> lookup(std::string_view extension) const = 0;
};

// The "type ext ext ..." lines of a mime.types file, read once.
class MimeTypesFile final : public ContentTypeSource {
public:
    static constexpr std::string_view kSystemPath = "/etc/mime.types";

    // Reads the file; a missing file gives an empty table.
    explicit MimeTypesFile(const std::string& path);
    // Parses the text of a mime.types file (for tests and other sources).
    static MimeTypesFile fromText(std::string_view text);

    std::optional<std::string> lookup(std::string_view extension) const override;

private:
    MimeTypesFile() = default;
    void parse(std::string_view text);

    std::map<std::string, std::string, std::less<>> m_types; // ".htm" -> "text/html"
};

class CContentTypeCache {
public:
    static constexpr std::string_view kFallbackType = "text/plain";

    explicit CContentTypeCache(const ContentTypeSource& source);

    // The type for an extension with its dot, compared without case. Unknown
    // extensions give "text/plain", which is not cached; an empty extension
    // gives an empty type.
    std::string contentTypeFor(std::string_view extension);

    std::size_t cachedCount() const;

private:
    const ContentTypeSource& m_source;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_extensions; // Lower case, parallel to m_types.
    std::vector<std::string> m_types;
};

// The extension of the last path component with its dot, or empty.
[[nodiscard]] std::string extensionOf(std::string_view path);

} // namespace pc::web
