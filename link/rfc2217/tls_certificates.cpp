#include "link/rfc2217/tls_certificates.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace torv {
namespace {

// OpenSSL keeps its errors in a queue per thread, which the TLS layer reads after its own calls: a
// failure of ours left there (the "no start line" that ends every PEM read) would make the session
// fail. Whatever these checks add to the queue goes when they end.
class OpenSslErrorsDropped {
  public:
    OpenSslErrorsDropped() { ERR_set_mark(); }
    ~OpenSslErrorsDropped() { ERR_pop_to_mark(); }
    OpenSslErrorsDropped(const OpenSslErrorsDropped&) = delete;
    OpenSslErrorsDropped& operator=(const OpenSslErrorsDropped&) = delete;
};

struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
struct CrlFree {
    void operator()(X509_CRL* list) const { X509_CRL_free(list); }
};
using Bio = std::unique_ptr<BIO, BioFree>;
using Certificate = std::unique_ptr<X509, X509Free>;
using RevocationList = std::unique_ptr<X509_CRL, CrlFree>;

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

Bio MemoryBio(const std::string& text) {
    return Bio(BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
}

// Every certificate in a PEM text, in order.
std::vector<Certificate> ReadCertificates(const std::string& pem) {
    std::vector<Certificate> certificates;
    const Bio bio = MemoryBio(pem);
    while (bio) {
        X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr);
        if (certificate == nullptr) {
            break;
        }
        certificates.emplace_back(certificate);
    }
    return certificates;
}

bool IsIpAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string CommonName(X509* certificate) {
    char name[256] = "";
    if (X509_NAME_get_text_by_NID(X509_get_subject_name(certificate), NID_commonName, name, sizeof name) <
        0) {
        return {};
    }
    return name;
}

// The names and addresses a certificate is for, as "line3-srv.plant, 10.0.3.1", or its CN.
std::string NamesOf(X509* certificate) {
    std::string names;
    auto* alternatives =
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; alternatives != nullptr && i < sk_GENERAL_NAME_num(alternatives); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alternatives, i);
        std::string name;
        if (entry->type == GEN_DNS) {
            const ASN1_STRING* text = entry->d.dNSName;
            name.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)),
                        static_cast<std::size_t>(ASN1_STRING_length(text)));
        } else if (entry->type == GEN_IPADD) {
            const ASN1_OCTET_STRING* bytes = entry->d.iPAddress;
            char text[INET6_ADDRSTRLEN] = "";
            const int family = ASN1_STRING_length(bytes) == 4 ? AF_INET : AF_INET6;
            if (inet_ntop(family, ASN1_STRING_get0_data(bytes), text, sizeof text) != nullptr) {
                name = text;
            }
        }
        if (!name.empty()) {
            names += (names.empty() ? "" : ", ") + name;
        }
    }
    GENERAL_NAMES_free(alternatives);
    return names.empty() ? CommonName(certificate) : names;
}

std::string Revocation(X509* certificate, const TlsFiles& files) {
    const std::string text = FileText(files.revocations);
    const Bio bio = MemoryBio(text);
    const RevocationList list(bio ? PEM_read_bio_X509_CRL(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!list) {
        return "cannot be checked: " + files.revocations + " is no revocation list (PEM)";
    }
    bool signedByCa = false;
    for (const Certificate& ca : ReadCertificates(FileText(files.ca))) {
        signedByCa = signedByCa || X509_CRL_verify(list.get(), X509_get0_pubkey(ca.get())) == 1;
    }
    if (!signedByCa) {
        return "cannot be checked: " + files.revocations + " is not signed by the CA in " + files.ca;
    }
    X509_REVOKED* entry = nullptr;
    if (X509_CRL_get0_by_cert(list.get(), &entry, certificate) == 1) {
        return "is revoked (" + files.revocations + ")";
    }
    return {};
}

}  // namespace

ServerCertificateCheck CheckServerCertificate(const std::string& pem, const std::string& host,
                                              const TlsFiles& files) {
    const OpenSslErrorsDropped dropped;
    std::vector<Certificate> chain = ReadCertificates(pem);
    if (chain.empty()) {
        return {"the server's certificate could not be read", {}};
    }
    X509* server = chain.front().get();
    ServerCertificateCheck check{{}, CommonName(server)};
    const bool named = IsIpAddress(host) ? X509_check_ip_asc(server, host.c_str(), 0) == 1
                                         : X509_check_host(server, host.data(), host.size(), 0, nullptr) == 1;
    if (!named) {
        check.problem =
            "name mismatch: the server's certificate is for " + NamesOf(server) + ", not for " + host;
    } else if (!files.revocations.empty()) {
        if (const std::string problem = Revocation(server, files); !problem.empty()) {
            check.problem = "the server's certificate (CN=" + check.commonName + ") " + problem;
        }
    }
    return check;
}

std::string CertificateFileRevocation(const std::string& certificateFile, const TlsFiles& files) {
    const OpenSslErrorsDropped dropped;
    std::vector<Certificate> certificates = ReadCertificates(FileText(certificateFile));
    if (certificates.empty()) {
        return "cannot be read as a certificate (PEM)";
    }
    return Revocation(certificates.front().get(), files);
}

}  // namespace torv
