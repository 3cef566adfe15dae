#pragma once
// A small plant CA for one test, made with the openssl program as README tells a plant to make its
// own: it issues server and client certificates (EC keys), also ones that expired long ago, revokes
// them and writes its revocation list. Everything lives in a temporary folder.

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace torv::test {

struct IssuedCertificate {
    std::string certificate;  // PEM files
    std::string key;
};

class PlantCa {
  public:
    explicit PlantCa(const std::string& commonName = "TORV test plant CA");
    PlantCa(const PlantCa&) = delete;
    PlantCa& operator=(const PlantCa&) = delete;

    std::string caFile() const { return m_folder.file("ca.crt"); }
    std::string keyFile() const { return m_folder.file("ca.key"); }  // the CA's own key

    // A certificate for `commonName` with these subject alternative names ("DNS:localhost,IP:127.0.0.1";
    // none when empty), valid from yesterday for two days, or, `expired`, throughout 2020 only.
    IssuedCertificate issue(const std::string& name, const std::string& commonName,
                            const std::string& alternativeNames = {}, bool expired = false);
    // Revokes what `issue(name, ...)` made and writes the CA's revocation list; returns its PEM file.
    std::string revoke(const std::string& name);

  private:
    std::vector<std::string> ca(const std::vector<std::string>& arguments) const;
    void openssl(const std::vector<std::string>& arguments) const;

    TempDir m_folder;
};

}  // namespace torv::test
