#include "platform/tls/tls_identity.h"

#include "platform/codec/base64.h"
#include "platform/files.h"
#include "platform/tls/openssl_handles.h"

#include <cctype>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

namespace platform {

namespace {

constexpr long kValidSeconds = 20L * 365 * 24 * 60 * 60;

Error sslError(const std::string& context, ErrorCode code = ErrorCode::IoError)
{
    return Error { code, context + ": " + lastSslErrorText(), 0 };
}

std::string bioText(BIO* bio)
{
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<std::size_t>(length));
}

IoResult<void> makeIdentity(std::string& keyPem, std::string& certificatePem)
{
    EvpKeyPtr key(EVP_EC_gen("P-256"));
    X509Ptr certificate(X509_new());
    if (!key || !certificate)
        return sslError("make the link key");
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return sslError("make the link certificate");
    serial[0] &= 0x7f; // A positive serial number.
    BignumPtr serialNumber(BN_bin2bn(serial, sizeof serial, nullptr));
    X509_set_version(certificate.get(), 2);
    BN_to_ASN1_INTEGER(serialNumber.get(), X509_get_serialNumber(certificate.get()));
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -60 * 60);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), kValidSeconds);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Quillon"), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    X509_set_pubkey(certificate.get(), key.get());
    if (X509_sign(certificate.get(), key.get(), EVP_sha256()) <= 0)
        return sslError("sign the link certificate");
    BioPtr keyBio(BIO_new(BIO_s_mem()));
    BioPtr certificateBio(BIO_new(BIO_s_mem()));
    if (PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1
        || PEM_write_bio_X509(certificateBio.get(), certificate.get()) != 1)
        return sslError("write the link identity");
    keyPem = bioText(keyBio.get());
    certificatePem = bioText(certificateBio.get());
    return {};
}

IoResult<std::string> readPart(const std::filesystem::path& file)
{
    auto text = readWholeFile(file);
    if (!text)
        return Error { text.error().code, "read " + file.string() + ": " + describe(text.error()), 0 };
    return std::move(*text);
}

char hexDigit(unsigned value)
{
    return "0123456789ABCDEF"[value & 0xf];
}

} // namespace

IoResult<TlsIdentity> TlsIdentity::loadOrCreate(const std::filesystem::path& folder)
{
    auto keyFile = folder / kKeyFileName;
    auto certificateFile = folder / kCertificateFileName;
    std::error_code error;
    bool hasKey = std::filesystem::exists(std::filesystem::symlink_status(keyFile, error));
    bool hasCertificate = std::filesystem::exists(std::filesystem::symlink_status(certificateFile, error));
    TlsIdentity identity;
    if (!hasKey && !hasCertificate) {
        TRY(makeIdentity(identity.m_keyPem, identity.m_certificatePem));
        TRY(writeFileAtomically(keyFile, identity.m_keyPem, kPrivateFileMode));
        TRY(writeFileAtomically(certificateFile, identity.m_certificatePem, kPrivateFileMode));
    } else {
        if (!hasKey || !hasCertificate) {
            auto missing = hasKey ? certificateFile : keyFile;
            return Error { ErrorCode::NotFound, missing.string() + " is missing beside its partner", 0 };
        }
        identity.m_keyPem = TRY(readPart(keyFile));
        identity.m_certificatePem = TRY(readPart(certificateFile));
    }
    auto loaded = TRY(parseIdentity(identity.m_keyPem, identity.m_certificatePem));
    if (X509_check_private_key(loaded.certificate.get(), loaded.key.get()) != 1)
        return Error { ErrorCode::Protocol, certificateFile.string() + " does not belong to " + keyFile.string(), 0 };
    identity.m_fingerprint = fingerprintOfCertificate(loaded.certificate.get());
    return identity;
}

IoResult<ParsedIdentity> parseIdentity(std::string_view keyPem, std::string_view certificatePem)
{
    BioPtr keyBio(BIO_new_mem_buf(keyPem.data(), static_cast<int>(keyPem.size())));
    BioPtr certificateBio(BIO_new_mem_buf(certificatePem.data(), static_cast<int>(certificatePem.size())));
    ParsedIdentity parsed;
    parsed.key.reset(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
    if (!parsed.key)
        return sslError("read the link key", ErrorCode::Protocol);
    parsed.certificate.reset(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr));
    if (!parsed.certificate)
        return sslError("read the link certificate", ErrorCode::Protocol);
    return parsed;
}

std::string fingerprintOfCertificate(X509* certificate)
{
    unsigned char* der = nullptr;
    int length = i2d_PUBKEY(X509_get0_pubkey(certificate), &der);
    if (length <= 0)
        return {};
    std::string fingerprint = fingerprintOfPublicKey(std::string_view(reinterpret_cast<char*>(der), length));
    OPENSSL_free(der);
    return fingerprint;
}

std::string fingerprintOfPublicKey(std::string_view spkiDer)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(spkiDer.data(), spkiDer.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        return {};
    std::string text;
    for (unsigned i = 0; i < length; ++i) {
        if (i > 0)
            text += ':';
        text += hexDigit(digest[i] >> 4);
        text += hexDigit(digest[i]);
    }
    return text;
}

bool isFingerprint(std::string_view text)
{
    if (text.size() != 32 * 3 - 1)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool separator = i % 3 == 2;
        if (separator ? text[i] != ':' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

std::string curlPinOfFingerprint(std::string_view fingerprint)
{
    if (!isFingerprint(fingerprint))
        return {};
    std::string digest;
    for (std::size_t i = 0; i < fingerprint.size(); i += 3)
        digest += static_cast<char>(std::stoi(std::string(fingerprint.substr(i, 2)), nullptr, 16));
    return "sha256//" + codec::encodeBase64(digest);
}

} // namespace platform
