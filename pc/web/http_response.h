#pragma once

// File: pc/web/http_response.h
// The bytes of the server's responses: status lines, the header block and
// the fixed HTML pages. Pure; CHttpClient sends what these build.
//
//     std::string head = HeaderBlock(404).date(now).server("Kiteweb/1.1").allow()
//                            .contentLength(body.size()).contentType("text/html").finish();

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace pc::web {

// "HTTP/1.0 404 Not Found\r\n"; codes without a reason phrase give "HTTP/1.0 %d\r\n".
[[nodiscard]] std::string statusLine(int status);

// A status line, header lines in the order they are added, and the blank line.
class HeaderBlock {
public:
    explicit HeaderBlock(int status);

    HeaderBlock& date(std::time_t now);
    HeaderBlock& server(std::string_view name);
    HeaderBlock& allow();
    HeaderBlock& lastModified(std::time_t moment);
    HeaderBlock& contentLength(std::uint64_t length);
    HeaderBlock& contentType(std::string_view type);
    HeaderBlock& wwwAuthenticate(std::string_view realm);
    HeaderBlock& location(std::string_view url);
    HeaderBlock& contentRange(std::string_view value);

    [[nodiscard]] std::string finish() const;

private:
    std::string m_text;
};

// Bodies of the error pages for 400, 404, 500 and 501; any other code has none.
[[nodiscard]] std::string errorPage(int status);
[[nodiscard]] std::string movedPage();
[[nodiscard]] std::string unauthorizedPage();
[[nodiscard]] std::string deletedPage();

} // namespace pc::web
