// A tiny HTTP/1.0 client for bench/web/run.sh. It opens a new loopback
// connection per request, sends a GET, reads until the server closes, and
// reports the time taken. One request at a time, like the handheld.
//
//   web_bench_client PORT PATH COUNT
//   -> "requests=2000 bytes=2306000 seconds=0.412 us_per_request=206.0 mb_per_s=5.3"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Returns the bytes received (head and body), or -1 on failure.
long long fetchOnce(const sockaddr_in& address, const std::string& request, std::vector<char>& buffer)
{
    int handle = ::socket(AF_INET, SOCK_STREAM, 0);
    if (handle < 0)
        return -1;
    if (::connect(handle, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(handle);
        return -1;
    }
    int on = 1;
    ::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::send(handle, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        ::close(handle);
        return -1;
    }
    long long total = 0;
    for (;;) {
        ssize_t received = ::recv(handle, buffer.data(), buffer.size(), 0);
        if (received < 0) {
            ::close(handle);
            return -1;
        }
        if (received == 0)
            break;
        total += received;
    }
    ::close(handle);
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: web_bench_client PORT PATH COUNT\n");
        return 2;
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(argv[1])));
    ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    const std::string request = std::string("GET ") + argv[2] + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    const long count = std::atol(argv[3]);
    std::vector<char> buffer(1 << 20);

    long long bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        long long received = fetchOnce(address, request, buffer);
        if (received < 0) {
            std::perror("request failed");
            return 1;
        }
        bytes += received;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("requests=%ld bytes=%lld seconds=%.6f us_per_request=%.1f mb_per_s=%.1f\n", count, bytes, seconds,
        seconds * 1e6 / static_cast<double>(count), static_cast<double>(bytes) / seconds / 1e6);
    return 0;
}
