// HTTP request heads as the web server reads them: any bytes, in any chunks,
// through the head buffer and the request parser.

#include "pc/web/head_buffer.h"
#include "pc/web/http_request_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    pc::web::HeadBuffer buffer;
    // The first byte picks a chunk size, so that heads split anywhere.
    std::size_t chunk = input.empty() ? 1 : static_cast<unsigned char>(input.front()) % 64 + 1;
    for (std::size_t at = 0; at < input.size(); at += chunk) {
        if (buffer.feed(input.substr(at, chunk)) != pc::web::HeadBuffer::State::Incomplete)
            break;
    }
    pc::web::CHttpRequestInfo info;
    (void)pc::web::parseRequest(buffer.state() == pc::web::HeadBuffer::State::Complete ? buffer.head() : input, info);
    return 0;
}
