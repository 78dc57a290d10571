#include "platform/curl_tls.h"

namespace platform {

void verifyCertificates(CURL* easy)
{
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    std::string extra = extraCaFile();
    if (extra.empty())
        return;
    // The file replaces libcurl's bundle; the system's authorities stay
    // through the folder, which is searched as well.
    curl_easy_setopt(easy, CURLOPT_CAINFO, extra.c_str());
    curl_easy_setopt(easy, CURLOPT_CAPATH, kSystemCaFolder);
}

bool isCertificateFailure(CURLcode code)
{
    switch (code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return true;
    default:
        return false;
    }
}

std::string certificateFailureText(std::string_view host, CURLcode code, const char* errorBuffer)
{
    std::string reason = errorBuffer && errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    return std::string(host) + "의 인증서를 확인할 수 없습니다: " + reason;
}

} // namespace platform
