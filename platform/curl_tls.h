#pragma once

// File: platform/curl_tls.h
// Certificate checks of the TLS connections libcurl makes for the programs
// (the update check, the mail relay). They are always on: the server's
// certificate must chain to an authority of trusted_authorities.h and name
// the server.

#include "platform/trusted_authorities.h"

#include <curl/curl.h>

#include <string>
#include <string_view>

namespace platform {

// Turns the checks on for one transfer and adds the extra authorities.
void verifyCertificates(CURL* easy);

// Whether a transfer failed because the server's certificate was not
// accepted (or the authorities could not be read).
bool isCertificateFailure(CURLcode code);

// "<host>의 인증서를 확인할 수 없습니다: <reason>", the reason being libcurl's
// error text of the transfer (its error buffer), else the code's text.
std::string certificateFailureText(std::string_view host, CURLcode code, const char* errorBuffer);

} // namespace platform
