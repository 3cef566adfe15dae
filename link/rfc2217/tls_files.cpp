#include "link/rfc2217/tls_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "link/port_security.h"
#include "link/rfc2217/tls_certificates.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

}  // namespace

std::optional<TlsFiles> FindTlsFiles(std::string& failure) {
    TlsFiles files;
    files.folder = TlsFolder();
    const auto inFolder = [&files](const char* name) { return (fs::path(files.folder) / name).string(); };
    files.ca = inFolder("ca.pem");
    if (!Exists(files.ca)) {
        failure =
            "no " + files.ca + ": put there the certificate of the CA that signs the plant's device servers";
        return std::nullopt;
    }
    const std::string certificate = inFolder("cert.pem");
    const std::string key = inFolder("key.pem");
    if (Exists(certificate) != Exists(key)) {
        failure = Exists(certificate) ? certificate + " has no key beside it (key.pem)"
                                      : key + " has no certificate beside it (cert.pem)";
        return std::nullopt;
    }
    if (Exists(key)) {
        struct stat info {};
        if (stat(key.c_str(), &info) == 0 && (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
            // A private key that other users may read is no secret: refused, as ssh refuses one.
            failure = key + " may be read by other users of this PC (mode " + ModeText(info.st_mode) +
                      "); make it private: chmod 600 " + key;
            return std::nullopt;
        }
        files.certificate = certificate;
        files.key = key;
    }
    if (const std::string revocations = inFolder("crl.pem"); Exists(revocations)) {
        files.revocations = revocations;
        if (!files.certificate.empty()) {
            if (const std::string problem = CertificateFileRevocation(files.certificate, files);
                !problem.empty()) {
                failure = "this PC's certificate " + files.certificate + " " + problem;
                return std::nullopt;
            }
        }
    }
    return files;
}

}  // namespace torv
