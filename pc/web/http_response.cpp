#include "pc/web/http_response.h"

#include "pc/web/http_date.h"

#include <array>
#include <initializer_list>

namespace pc::web {
namespace {

struct Reason {
    int status;
    std::string_view line;
};

constexpr std::array<Reason, 18> kStatusLines = { {
    { 200, "HTTP/1.0 200 OK\r\n" },
    { 201, "HTTP/1.0 201 Created\r\n" },
    { 202, "HTTP/1.0 202 Accepted\r\n" },
    { 204, "HTTP/1.0 204 No Content\r\n" },
    { 206, "HTTP/1.0 206 Partial Content\r\n" },
    { 300, "HTTP/1.0 300 Multiple Choices\r\n" },
    { 301, "HTTP/1.0 301 Moved Permanently\r\n" },
    { 302, "HTTP/1.0 302 Moved Temporarily\r\n" },
    { 304, "HTTP/1.0 304 Not Modified\r\n" },
    { 400, "HTTP/1.0 400 Bad Request\r\n" },
    { 401, "HTTP/1.0 401 Unauthorized\r\n" },
    { 403, "HTTP/1.0 403 Forbidden\r\n" },
    { 404, "HTTP/1.0 404 Not Found\r\n" },
    { 416, "HTTP/1.0 416 Requested Range Not Satisfiable\r\n" },
    { 500, "HTTP/1.0 500 Internal Server Error\r\n" },
    { 501, "HTTP/1.0 501 Not Implemented\r\n" },
    { 502, "HTTP/1.0 502 Bad Gateway\r\n" },
    { 503, "HTTP/1.0 503 Service Unavailable\r\n" },
} };

// One paragraph; its lines are joined by a line break.
using Paragraph = std::initializer_list<std::string_view>;

std::string page(std::string_view title, std::string_view heading, std::string_view strong,
    std::initializer_list<Paragraph> paragraphs)
{
    std::string html = "<html>\r\n<head>\r\n<title>";
    html += title;
    html += "</title>\r\n</head>\r\n<body>\r\n";
    if (!heading.empty()) {
        html += "<h2>";
        html += heading;
        html += "</h2>\r\n";
    }
    if (!strong.empty()) {
        html += "<p><strong>";
        html += strong;
        html += "</strong></p>\r\n";
    }
    for (const auto& paragraph : paragraphs) {
        html += "<p>";
        bool first = true;
        for (std::string_view line : paragraph) {
            if (!first)
                html += "<br>\r\n";
            html += line;
            first = false;
        }
        html += "</p>\r\n";
    }
    html += "</body>\r\n</html>\r\n";
    return html;
}

// Header values come partly from the request (the realm is its URL). A CR or
// LF there would end the header early and let the client write headers of
// its own into the response, so control bytes go out %-encoded instead.
void appendHeaderValue(std::string& text, std::string_view value)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            text.push_back('%');
            text.push_back(kHex[byte >> 4]);
            text.push_back(kHex[byte & 0x0F]);
        } else {
            text.push_back(c);
        }
    }
}

} // namespace

std::string statusLine(int status)
{
    for (const auto& reason : kStatusLines) {
        if (reason.status == status)
            return std::string(reason.line);
    }
    return "HTTP/1.0 " + std::to_string(status) + "\r\n";
}

HeaderBlock::HeaderBlock(int status)
    : m_text(statusLine(status))
{
}

HeaderBlock& HeaderBlock::date(std::time_t now)
{
    m_text += "Date: " + formatHttpDate(now) + "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::server(std::string_view name)
{
    m_text += "Server: ";
    appendHeaderValue(m_text, name);
    m_text += "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::allow()
{
    m_text += "Allow: GET, HEAD, DELETE\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::lastModified(std::time_t moment)
{
    m_text += "Last-Modified: " + formatHttpDate(moment) + "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::contentLength(std::uint64_t length)
{
    m_text += "Content-Length: " + std::to_string(length) + "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::contentType(std::string_view type)
{
    m_text += "Content-Type: ";
    appendHeaderValue(m_text, type);
    m_text += "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::wwwAuthenticate(std::string_view realm)
{
    // The realm goes out unquoted, as clients of this server expect.
    m_text += "WWW-Authenticate: Basic realm=";
    appendHeaderValue(m_text, realm);
    m_text += "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::contentRange(std::string_view value)
{
    m_text += "Content-Range: ";
    appendHeaderValue(m_text, value);
    m_text += "\r\n";
    return *this;
}

HeaderBlock& HeaderBlock::location(std::string_view url)
{
    m_text += "Location: ";
    appendHeaderValue(m_text, url);
    m_text += "\r\n";
    return *this;
}

std::string HeaderBlock::finish() const
{
    return m_text + "\r\n";
}

std::string errorPage(int status)
{
    switch (status) {
    case 400:
        return page("Error 400 - Bad Request", "HTTP Error 400", "400 Bad Request",
            { { "Due to malformed syntax, the request could not be understood by the server.",
                "The client should not repeat the request without modifications." } });
    case 404:
        return page("Error 404 - File Not Found", "HTTP Error 404", "404 Not Found",
            { { "The Web server cannot find the file or script you asked for.",
                  "Please check the URL to ensure that the path is correct." },
                { "Please contact the server's administrator if this problem persists." } });
    case 500:
        return page("Error 500 - Internal Server Error", "HTTP Error 500", "500 Internal Server Error",
            { { "The server encountered an unexpected condition which prevented it from",
                "fulfilling the request." } });
    case 501:
        return page("Error 501 - Method Not Supported", "HTTP Error 501", "501 Method Not Supported",
            { { "The specified method is not supported." } });
    default:
        return {};
    }
}

std::string movedPage()
{
    return page("Moved", "HTTP Code 301", "File Moved", { { "The file you are looking for has moved." } });
}

std::string unauthorizedPage()
{
    return page("Error 401 - Unauthorized", "HTTP Error 401", "401 Unauthorized",
        { { "You are not authorized to perform this request." },
            { "Please ensure you have supplied the correct user credentials." } });
}

std::string deletedPage()
{
    return page("Delete Successful", {}, {}, { { "The specified file has been deleted successfully." } });
}

} // namespace pc::web
