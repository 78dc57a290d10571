#pragma once

// File: pc/web/web_response.h
// A response as the handler builds it and a connection sends it: the bytes
// held in memory (head and any small body) and, for a file, its open
// descriptor and length. The descriptor belongs to the response.

#include <cstdint>
#include <string>
#include <unistd.h>
#include <utility>

namespace pc::web {

struct WebResponse {
    WebResponse() = default;
    WebResponse(WebResponse&& other) noexcept
        : bytes(std::move(other.bytes))
        , bodyFile(std::exchange(other.bodyFile, -1))
        , bodyLength(other.bodyLength)
    {
    }
    WebResponse& operator=(WebResponse&& other) noexcept
    {
        if (this != &other) {
            closeFile();
            bytes = std::move(other.bytes);
            bodyFile = std::exchange(other.bodyFile, -1);
            bodyLength = other.bodyLength;
        }
        return *this;
    }
    WebResponse(const WebResponse&) = delete;
    WebResponse& operator=(const WebResponse&) = delete;
    ~WebResponse() { closeFile(); }

    void closeFile()
    {
        if (bodyFile >= 0)
            ::close(bodyFile);
        bodyFile = -1;
    }
    // Bytes on the wire, file included.
    std::uint64_t totalBytes() const { return bytes.size() + (bodyFile >= 0 ? bodyLength : 0); }

    std::string bytes;
    int bodyFile = -1; // Read from its current offset.
    std::uint64_t bodyLength = 0;
};

} // namespace pc::web
