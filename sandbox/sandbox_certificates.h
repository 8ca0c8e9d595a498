#pragma once

#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <string>
#include <vector>

namespace dealcast::sandbox {

// A throw-away certificate authority and one server certificate it signed for a list of host names (and
// 127.0.0.1), made in memory at each start so no key ever lands in the repository. Clients trust the CA's
// PEM text and keep verifying certificates as they would on the internet.
class SandboxCertificates {
public:
    // Empty (valid() false) when generation failed or a name is not a plain DNS name.
    explicit SandboxCertificates(const std::vector<std::string>& hostNames);

    bool valid() const { return m_serverCert && m_serverKey && !m_caPem.empty(); }
    const std::string& caPem() const { return m_caPem; }
    // Owned by this object; a TLS context that takes them keeps its own reference.
    X509* serverCertificate() const { return m_serverCert.get(); }
    EVP_PKEY* serverKey() const { return m_serverKey.get(); }

    // Letters, digits, "-" and "." only: the names go into the certificate's extension text as they are.
    static bool isDnsName(const std::string& name);

private:
    struct X509Free {
        void operator()(X509* x) const { X509_free(x); }
    };
    struct KeyFree {
        void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
    };

    std::unique_ptr<X509, X509Free> m_serverCert;
    std::unique_ptr<EVP_PKEY, KeyFree> m_serverKey;
    std::string m_caPem;
};

}  // namespace dealcast::sandbox
