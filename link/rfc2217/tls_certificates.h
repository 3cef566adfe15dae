#pragma once
// What the tool checks of a certificate beyond the chain that the TLS library verified: that it names
// the host the port name gives, and that the plant's CA has not revoked it.

#include <string>

#include "link/rfc2217/tls_files.h"

namespace torv {

struct ServerCertificateCheck {
    std::string problem;     // empty when the server may be used
    std::string commonName;  // the certificate's subject CN, for the port's description
};

// `pem` is the server's certificate as the TLS library hands it over; `host` the port name's host
// (a name, an IPv4 or an IPv6 address).
ServerCertificateCheck CheckServerCertificate(const std::string& pem, const std::string& host,
                                              const TlsFiles& files);

// Empty when the certificate in `certificateFile` is not on the revocation list (files.revocations,
// which must be signed by the CA in files.ca); otherwise why it may not be used ("is revoked by ...").
std::string CertificateFileRevocation(const std::string& certificateFile, const TlsFiles& files);

}  // namespace torv
