#include "tests/support/plant_ca.h"

#include <stdexcept>
#include <vector>

#include "tests/support/sim_process.h"

namespace torv::test {
namespace {

// What `openssl ca` needs to sign, revoke and list: a database, a serial number, a policy that takes any
// subject, and the requests' own extensions (the subject alternative names) copied into the certificates.
constexpr const char* kCaConfig = R"([ca]
default_ca = plant
[plant]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = anything
copy_extensions = copy
default_crl_days = 2
unique_subject = no
[anything]
commonName = supplied
)";

const std::vector<std::string> kNewKey{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

}  // namespace

PlantCa::PlantCa(const std::string& commonName) {
    WriteFileBytes(m_folder.file("ca.cnf"), kCaConfig);
    WriteFileBytes(m_folder.file("index.txt"), "");
    WriteFileBytes(m_folder.file("serial"), "1000\n");
    std::vector<std::string> request{"req",     "-x509",   "-days", "2",     "-subj", "/CN=" + commonName,
                                     "-keyout", keyFile(), "-out",  caFile()};
    request.insert(request.end(), kNewKey.begin(), kNewKey.end());
    openssl(request);
}

IssuedCertificate PlantCa::issue(const std::string& name, const std::string& commonName,
                                 const std::string& alternativeNames, bool expired) {
    const IssuedCertificate issued{m_folder.file(name + ".crt"), m_folder.file(name + ".key")};
    std::vector<std::string> request{"req",      "-subj", "/CN=" + commonName,         "-keyout",
                                     issued.key, "-out",  m_folder.file(name + ".csr")};
    request.insert(request.end(), kNewKey.begin(), kNewKey.end());
    if (!alternativeNames.empty()) {
        request.insert(request.end(), {"-addext", "subjectAltName=" + alternativeNames});
    }
    openssl(request);
    std::vector<std::string> sign{"-batch", "-notext",         "-in", m_folder.file(name + ".csr"),
                                  "-out",   issued.certificate};
    if (expired) {
        sign.insert(sign.end(), {"-startdate", "20200101000000Z", "-enddate", "20210101000000Z"});
    } else {
        sign.insert(sign.end(), {"-days", "2"});
    }
    openssl(ca(sign));
    return issued;
}

std::string PlantCa::revoke(const std::string& name) {
    const std::string list = m_folder.file("crl.pem");
    openssl(ca({"-revoke", m_folder.file(name + ".crt")}));
    openssl(ca({"-gencrl", "-out", list}));
    return list;
}

// `openssl ca` with this CA's configuration, certificate and key.
std::vector<std::string> PlantCa::ca(const std::vector<std::string>& arguments) const {
    std::vector<std::string> words{"ca", "-config", "ca.cnf", "-cert", caFile(), "-keyfile", keyFile()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

// `openssl ca` finds its database through relative names: it runs in the CA's folder.
void PlantCa::openssl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> words{"-c", "cd \"$0\" && exec /usr/bin/openssl \"$@\"",
                                   m_folder.path().string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const ProgramResult result = RunProgram("/bin/sh", words);
    if (result.exitCode != 0) {
        throw std::runtime_error("openssl " + arguments.front() + " failed: " + result.err);
    }
}

}  // namespace torv::test
