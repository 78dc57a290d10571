#include "platform/tls/file_digest.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::optional<std::string> sha256OfPrefix(int fd, std::uint64_t bytes, const std::atomic<bool>* stop)
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return std::nullopt;
    std::vector<char> buffer(1 << 20);
    std::uint64_t done = 0;
    while (done < bytes) {
        if (stop && stop->load())
            return std::nullopt;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), bytes - done));
        ssize_t got = ::pread(fd, buffer.data(), want, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(got));
        done += static_cast<std::uint64_t>(got);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0f];
    }
    return text;
}

} // namespace platform
