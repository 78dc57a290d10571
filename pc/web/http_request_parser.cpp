#include "pc/web/http_request_parser.h"

#include "pc/web/http_date.h"
#include "platform/codec/base64.h"
#include "platform/decimal_number.h"

#include <array>
#include <strings.h>
#include <vector>

namespace pc::web {
namespace {

struct VerbName {
    std::string_view name;
    HttpVerb verb;
};

constexpr std::array<VerbName, 7> kVerbs = { {
    { "GET", HttpVerb::Get },
    { "POST", HttpVerb::Post },
    { "HEAD", HttpVerb::Head },
    { "PUT", HttpVerb::Put },
    { "LINK", HttpVerb::Link },
    { "DELETE", HttpVerb::Delete },
    { "UNLINK", HttpVerb::Unlink },
} };

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::string_view kVersionPrefix = "HTTP/";
constexpr std::string_view kSeparators = "/\\";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

HttpVerb verbFromName(std::string_view name)
{
    for (const auto& entry : kVerbs) {
        if (equalsIgnoringCase(name, entry.name))
            return entry.verb;
    }
    return HttpVerb::Unknown;
}

std::string_view trim(std::string_view text)
{
    std::size_t start = text.find_first_not_of(kWhiteSpace);
    if (start == std::string_view::npos)
        return {};
    std::size_t end = text.find_last_not_of(kWhiteSpace);
    return text.substr(start, end - start + 1);
}

// Runs of spaces count as one separator.
std::vector<std::string_view> splitOnSpaces(std::string_view line)
{
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t start = line.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        tokens.push_back(line.substr(start, end - start));
        pos = end;
    }
    return tokens;
}

std::optional<std::uint32_t> decimal(std::string_view text)
{
    auto value = platform::parseDecimal<std::uint32_t>(text);
    if (!value || *value > 0xFFFF)
        return std::nullopt;
    return value;
}

// "HTTP/major.minor" with both numbers present.
std::optional<std::uint32_t> parseVersion(std::string_view token)
{
    if (!token.starts_with(kVersionPrefix))
        return std::nullopt;
    std::string_view numbers = token.substr(kVersionPrefix.size());
    std::size_t dot = numbers.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    auto major = decimal(numbers.substr(0, dot));
    auto minor = decimal(numbers.substr(dot + 1));
    if (!major || !minor)
        return std::nullopt;
    return httpVersion(*major, *minor);
}

// user-info "name:password@" before the path. The "@" counts only where it
// can end user-info: nothing but a leading separator comes before it, and a
// path follows it. Otherwise it is part of a name, as in the mail folders
// named after unique ids like "<12@host>", which must stay reachable.
void takeUserInfo(CHttpRequestInfo& info)
{
    std::size_t at = info.url.find('@');
    if (at == std::string::npos)
        return;
    std::string_view userInfo = std::string_view(info.url).substr(0, at);
    std::string_view path = std::string_view(info.url).substr(at + 1);
    bool pathFollows = !path.empty() && kSeparators.find(path.front()) != std::string_view::npos;
    if (!pathFollows || userInfo.find_first_of(kSeparators, 1) != std::string_view::npos)
        return;
    std::size_t colon = userInfo.find(':');
    if (colon == std::string_view::npos) {
        info.user = std::string(userInfo);
        info.password.clear();
    } else {
        info.user = std::string(userInfo.substr(0, colon));
        info.password = std::string(userInfo.substr(colon + 1));
    }
    info.url.erase(0, at + 1);
    info.authorizationType = AuthorizationType::Basic;
}

void applyHeader(const HeaderLine& header, CHttpRequestInfo& info)
{
    // Header names are compared case-sensitively, as the server always has.
    if (header.name == "If-Modified-Since") {
        if (auto time = parseHttpDate(header.value)) {
            info.hasIfModifiedSince = true;
            info.ifModifiedSince = *time;
        }
    } else if (header.name == "Range") {
        info.hasRange = true;
        info.range = header.value;
    } else if (header.name == "If-Range") {
        info.hasIfRange = true;
        info.ifRange = header.value;
    } else if (header.name == "Authorization") {
        if (auto credentials = decodeBasicCredentials(header.value)) {
            info.authorizationType = AuthorizationType::Basic;
            info.user = std::move(credentials->user);
            info.password = std::move(credentials->password);
        }
    }
}

} // namespace

bool parseRequestLine(std::string_view line, CHttpRequestInfo& info)
{
    auto tokens = splitOnSpaces(line);
    if (tokens.empty())
        return false;
    info.verb = verbFromName(tokens[0]);
    if (tokens.size() < 2)
        return false;
    info.url = percentDecode(tokens[1]);
    takeUserInfo(info);
    std::size_t question = info.url.find('?');
    if (question != std::string::npos) {
        info.query = info.url.substr(question + 1);
        info.url.erase(question);
    }
    if (tokens.size() < 3) {
        info.version = kHttpVersion09;
        return info.verb == HttpVerb::Get;
    }
    auto version = parseVersion(tokens[2]);
    if (!version)
        return false;
    info.version = *version;
    return true;
}

std::optional<HeaderLine> splitHeaderLine(std::string_view line)
{
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return HeaderLine { trim(line.substr(0, colon)), trim(line.substr(colon + 1)) };
}

std::optional<Credentials> decodeBasicCredentials(std::string_view value)
{
    auto tokens = splitOnSpaces(value);
    if (tokens.size() < 2 || tokens[0] != "Basic")
        return std::nullopt;
    auto decoded = platform::codec::decodeBase64Strict(tokens[1]);
    if (!decoded)
        return std::nullopt;
    std::size_t colon = decoded->find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    return Credentials { decoded->substr(0, colon), decoded->substr(colon + 1) };
}

bool parseRequest(std::string_view head, CHttpRequestInfo& info)
{
    bool first = true;
    bool requestLineOk = false;
    std::size_t pos = 0;
    while (pos <= head.size()) {
        std::size_t end = head.find('\n', pos);
        if (end == std::string_view::npos)
            end = head.size();
        std::string_view line = head.substr(pos, end - pos);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (first) {
            info.requestLine = std::string(line);
            requestLineOk = parseRequestLine(line, info);
            first = false;
        } else if (auto header = splitHeaderLine(line)) {
            applyHeader(*header, info);
        }
        pos = end + 1;
    }
    return requestLineOk;
}

} // namespace pc::web
