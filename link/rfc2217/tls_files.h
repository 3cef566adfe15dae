#pragma once
// This PC's side of TLS to the plant's device servers, from the TLS folder ($TORV_TLS_DIR, or "tls"
// in the configuration folder): ca.pem, the CA that signs the servers' certificates; cert.pem and
// key.pem, this PC's own certificate and key, for servers that ask for one; crl.pem, the CA's list
// of revoked certificates, when the plant keeps one.

#include <optional>
#include <string>

namespace torv {

struct TlsFiles {
    std::string folder;
    std::string ca;
    std::string certificate;  // with `key`, or both empty
    std::string key;
    std::string revocations;  // empty without crl.pem
};

// The files to use, or nullopt with the reason for the user: no ca.pem, a certificate without its key
// (or a key without its certificate), a key that other users of the PC may read (refused as ssh
// refuses one), or this PC's certificate revoked by crl.pem.
std::optional<TlsFiles> FindTlsFiles(std::string& failure);

}  // namespace torv
