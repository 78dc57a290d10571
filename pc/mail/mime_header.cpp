#include "pc/mail/mime_header.h"

#include "pc/mail/charset.h"
#include "pc/mail/encoded_words.h"
#include "pc/mail/text_util.h"
#include "platform/codec/percent_encoding.h"

#include <map>
#include <optional>

namespace pc::mail {
namespace {

bool isParameterBoundary(char c)
{
    return c == ';' || c == ' ' || c == ':';
}

// Reads a quoted string or a token starting at `at`.
std::string readValue(std::string_view text, std::size_t at)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    std::string out;
    if (at < text.size() && text[at] == '"') {
        for (++at; at < text.size() && text[at] != '"'; ++at) {
            // A backslash quotes only '"' and itself: old mailers put
            // Windows paths in quoted strings unescaped.
            if (text[at] == '\\' && at + 1 < text.size() && (text[at + 1] == '"' || text[at + 1] == '\\'))
                ++at;
            out.push_back(text[at]);
        }
        return out;
    }
    while (at < text.size() && text[at] != ';' && text[at] != ' ')
        out.push_back(text[at++]);
    return out;
}

// Finds `key` + "=" as a parameter (after ";" or white space), ignoring case;
// returns the position behind the "=".
std::optional<std::size_t> findParameter(std::string_view text, std::string_view key)
{
    std::size_t from = 0;
    while (true) {
        std::size_t at = findIgnoringCase(text, key, from);
        if (at == std::string_view::npos)
            return std::nullopt;
        std::size_t behind = at + key.size();
        while (behind < text.size() && text[behind] == ' ')
            ++behind;
        if ((at == 0 || isParameterBoundary(text[at - 1])) && behind < text.size() && text[behind] == '=')
            return behind + 1;
        from = at + 1;
    }
}

// RFC 2231: "name*=charset'lang'value" or the numbered sections
// "name*0*=...", "name*1=..."; sections ending in "*" are percent-encoded.
std::optional<std::string> rfc2231Parameter(std::string_view text, std::string_view name)
{
    std::string charset;
    std::string bytes;
    auto takeSection = [&](std::string_view raw, bool encoded, bool first) {
        std::string value(raw);
        if (encoded && first) {
            std::size_t q1 = value.find('\'');
            std::size_t q2 = q1 == std::string::npos ? q1 : value.find('\'', q1 + 1);
            if (q2 != std::string::npos) {
                charset = value.substr(0, q1);
                value = value.substr(q2 + 1);
            }
        }
        bytes += encoded ? platform::codec::percentDecode(value) : value;
    };
    std::string key = std::string(name) + "*";
    if (auto at = findParameter(text, key)) {
        takeSection(readValue(text, *at), true, true);
        return toPcCodePage(bytes, charset);
    }
    bool found = false;
    for (int section = 0; section < 1000; ++section) {
        std::string numbered = key + std::to_string(section);
        bool encoded = true;
        auto at = findParameter(text, numbered + "*");
        if (!at) {
            encoded = false;
            at = findParameter(text, numbered);
        }
        if (!at)
            break;
        takeSection(readValue(text, *at), encoded, section == 0);
        found = true;
    }
    if (!found)
        return std::nullopt;
    return toPcCodePage(bytes, charset);
}

// The header as one line for parameter searches: every line break and tab
// becomes a space, so a value never runs into the next field.
std::string flattenHeader(std::string_view headerText)
{
    std::string out(headerText);
    for (char& c : out) {
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    }
    return out;
}

} // namespace

ContentType ContentType::parse(std::string_view value)
{
    std::string lower = toLowerAscii(value);
    std::size_t slash = lower.find('/');
    if (slash == std::string::npos)
        return {};
    ContentType result;
    result.type = std::string(trim(std::string_view(lower).substr(0, slash)));
    std::size_t semicolon = lower.find(';', slash + 1);
    std::size_t end = semicolon == std::string::npos ? lower.size() : semicolon;
    result.subtype = std::string(trim(std::string_view(lower).substr(slash + 1, end - slash - 1)));
    return result;
}

std::string mimeField(std::string_view headerText, std::string_view nameWithColon)
{
    std::string haystack = "\r\n" + std::string(headerText);
    std::string needle = "\r\n" + std::string(nameWithColon);
    std::size_t at = findIgnoringCase(haystack, needle);
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + needle.size();
    return unfold(std::string_view(haystack).substr(begin, endOfHeaderField(haystack, begin) - begin));
}

std::string mimeParameter(std::string_view headerText, std::string_view name)
{
    std::string text = flattenHeader(headerText);
    auto at = findParameter(text, name);
    return at ? std::string(trim(readValue(text, *at))) : std::string();
}

std::string mimeFileNameParameter(std::string_view headerText, std::string_view name)
{
    std::string text = flattenHeader(headerText);
    if (auto extended = rfc2231Parameter(text, name))
        return validUtf8(std::string(trim(*extended)));
    auto at = findParameter(text, name);
    if (!at)
        return {};
    // A raw 8-bit name is read in the part's own charset, when it has one.
    std::string charset = mimeParameter(headerText, "charset");
    return std::string(trim(decodeEncodedWords(trim(readValue(text, *at)), charset).text));
}

std::string transferEncodingWord(std::string_view value)
{
    std::string lower = toLowerAscii(value);
    for (std::string_view word : { "7bit", "8bit", "base64", "quoted", "binary" }) {
        if (lower.find(word) != std::string::npos)
            return std::string(word);
    }
    return {};
}

MediaType mediaTypeCode(std::string_view type)
{
    static const std::map<std::string_view, MediaType> codes = {
        { "text", MediaType::Text },
        { "image", MediaType::Image },
        { "audio", MediaType::Audio },
        { "video", MediaType::Video },
        { "application", MediaType::Application },
        { "message", MediaType::Message },
        { "multipart", MediaType::Multipart },
    };
    auto it = codes.find(type);
    return it == codes.end() ? MediaType::Other : it->second;
}

int subtypeCode(std::string_view subtype)
{
    static const std::map<std::string_view, int> codes = {
        { "alternative", 0 }, { "basic", 1 }, { "digest", 2 }, { "enriched", 4 }, { "gif", 5 },
        { "html", 6 }, { "htm", 6 }, { "jpeg", 7 }, { "jpg", 7 }, { "mixed", 8 }, { "mpeg", 9 },
        { "octet-stream", 10 }, { "plain", 11 }, { "parallel", 12 }, { "partial", 13 },
        { "postscript", 14 }, { "report", 15 }, { "related", 16 }, { "richtext", 17 }, { "rfc822", 18 },
        { "rfc822-headers", 19 }, { "external-body", 20 },
    };
    auto it = codes.find(subtype);
    return it == codes.end() ? -1 : it->second;
}

} // namespace pc::mail
