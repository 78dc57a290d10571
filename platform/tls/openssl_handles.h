#pragma once

// File: platform/tls/openssl_handles.h
// Owning handles for the OpenSSL objects the link code creates, and the
// text of OpenSSL's last error for messages. Only the files of this folder
// include it.

#include "platform/result.h"

#include <memory>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <string>
#include <string_view>

namespace platform {

struct SslFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
    void operator()(X509* p) const { X509_free(p); }
    void operator()(BIO* p) const { BIO_free(p); }
    void operator()(BIGNUM* p) const { BN_free(p); }
    void operator()(SSL_CTX* p) const { SSL_CTX_free(p); }
    void operator()(SSL* p) const { SSL_free(p); }
};

using EvpKeyPtr = std::unique_ptr<EVP_PKEY, SslFree>;
using X509Ptr = std::unique_ptr<X509, SslFree>;
using BioPtr = std::unique_ptr<BIO, SslFree>;
using BignumPtr = std::unique_ptr<BIGNUM, SslFree>;
using SslContextPtr = std::unique_ptr<SSL_CTX, SslFree>;
using SslPtr = std::unique_ptr<SSL, SslFree>;

struct ParsedIdentity {
    EvpKeyPtr key;
    X509Ptr certificate;
};

// The key and certificate of PEM texts.
IoResult<ParsedIdentity> parseIdentity(std::string_view keyPem, std::string_view certificatePem);

// The fingerprint (tls_identity.h) of a certificate's public key.
std::string fingerprintOfCertificate(X509* certificate);

// OpenSSL's queued errors as one line (and the queue emptied).
std::string lastSslErrorText();

} // namespace platform
