#pragma once

// File: platform/tls/tls_identity.h
// The PC's own key and self-signed certificate for the private link. Made
// at the first start (an EC P-256 key and a certificate valid for twenty
// years), kept as two PEM files readable by the owner only, and read again
// at every later start. A file that exists but cannot be read is an error
// naming it: the PC never replaces the identity the handhelds have pinned.
//
// The fingerprint is the SHA-256 of the certificate's public key (its DER
// SubjectPublicKeyInfo), written as 32 colon-separated hex pairs. It names
// the key rather than the certificate, so that libcurl can pin it as it is
// (CURLOPT_PINNEDPUBLICKEY) and a renewed certificate on the same key is
// still the same PC.
//
//     auto identity = TRY(platform::TlsIdentity::loadOrCreate(home));
//     log("fingerprint " + identity.fingerprint());

#include "platform/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

class TlsIdentity {
public:
    static constexpr std::string_view kKeyFileName = "link-key.pem";
    static constexpr std::string_view kCertificateFileName = "link-certificate.pem";

    // Reads the key and certificate in `folder`, making both when neither
    // exists. One without the other, or a damaged file, is an error.
    static IoResult<TlsIdentity> loadOrCreate(const std::filesystem::path& folder);

    const std::string& keyPem() const { return m_keyPem; }
    const std::string& certificatePem() const { return m_certificatePem; }
    const std::string& fingerprint() const { return m_fingerprint; }

private:
    TlsIdentity() = default;

    std::string m_keyPem;
    std::string m_certificatePem;
    std::string m_fingerprint;
};

// "AB:01:..." of the SHA-256 of `spkiDer`.
std::string fingerprintOfPublicKey(std::string_view spkiDer);

// The pin libcurl takes for the same key: "sha256//" and the base64 of the
// digest. Empty for a text that is not a fingerprint.
std::string curlPinOfFingerprint(std::string_view fingerprint);

// Whether `text` has the form of a fingerprint (case-insensitive hex).
bool isFingerprint(std::string_view text);

} // namespace platform
