#include "sandbox/sandbox_certificates.h"

#include <algorithm>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

namespace dealcast::sandbox {
namespace {

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
struct KeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct BioFree {
    void operator()(BIO* b) const { BIO_free(b); }
};
struct BnFree {
    void operator()(BIGNUM* b) const { BN_free(b); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

constexpr long kDaySeconds = 24 * 3600;

KeyPtr makeKey()
{
    return KeyPtr(EVP_EC_gen("P-256"));
}

bool addExtension(X509* cert, X509* issuer, int nid, const std::string& value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext)
        return false;
    const bool added = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return added;
}

// A certificate for `key` named `commonName`, valid from a day ago (clock skew) for a year; the issuer's
// name comes from `issuer`, or from the certificate itself when it is self-signed.
X509Ptr makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer)
{
    X509Ptr cert(X509_new());
    std::unique_ptr<BIGNUM, BnFree> serial(BN_new());
    if (!cert || !serial || X509_set_version(cert.get(), 2) != 1 || BN_rand(serial.get(), 63, 0, 0) != 1 ||
        !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())) ||
        !X509_gmtime_adj(X509_getm_notBefore(cert.get()), -kDaySeconds) ||
        !X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365 * kDaySeconds) || X509_set_pubkey(cert.get(), key) != 1)
        return nullptr;
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("dealcast sandbox"),
                                   -1, -1, 0) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                                   0) != 1 ||
        X509_set_issuer_name(cert.get(), X509_get_subject_name(issuer ? issuer : cert.get())) != 1)
        return nullptr;
    return cert;
}

std::string toPem(X509* cert)
{
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1)
        return {};
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

bool SandboxCertificates::isDnsName(const std::string& name)
{
    return !name.empty() && name.size() <= 253 && name.front() != '.' && name.front() != '-' &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '.';
           });
}

SandboxCertificates::SandboxCertificates(const std::vector<std::string>& hostNames)
{
    std::string altNames = "IP:127.0.0.1";
    for (const auto& name : hostNames) {
        if (!isDnsName(name))
            return;
        altNames += ",DNS:" + name;
    }

    KeyPtr caKey = makeKey();
    X509Ptr ca = caKey ? makeCertificate(caKey.get(), "dealcast sandbox CA", nullptr) : nullptr;
    if (!ca || !addExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !addExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !addExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash") ||
        X509_sign(ca.get(), caKey.get(), EVP_sha256()) <= 0)
        return;

    KeyPtr serverKey = makeKey();
    X509Ptr server = serverKey ? makeCertificate(serverKey.get(), "dealcast sandbox services", ca.get()) : nullptr;
    if (!server || !addExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !addExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature") ||
        !addExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth") ||
        !addExtension(server.get(), ca.get(), NID_subject_alt_name, altNames) ||
        !addExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always") ||
        X509_sign(server.get(), caKey.get(), EVP_sha256()) <= 0)
        return;

    std::string pem = toPem(ca.get());
    if (pem.empty())
        return;
    m_caPem = std::move(pem);
    m_serverCert.reset(server.release());
    m_serverKey.reset(serverKey.release());
}

}  // namespace dealcast::sandbox
