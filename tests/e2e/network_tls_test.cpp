// rfc2217s:// ports against a real ser2net whose accepter speaks TLS, with a plant CA and certificates
// made by openssl in the test: a read and a write through it give the bytes of a direct read; every
// server or PC that must not be trusted is refused with its reason before the sensor sees a frame.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "link/com_device.h"
#include "params/parameter_file.h"
#include "tests/support/plant_ca.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::RunTorvctl;

class NetworkTls : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!NetworkPortsAvailable() || test::Ser2netServer::ProgramPath().empty()) {
            GTEST_SKIP() << "needs network ports (libgensio) and ser2net";
        }
        m_server = m_ca.issue("server", "line3-srv", "DNS:localhost,IP:127.0.0.1");
        m_client = m_ca.issue("client", "engineering-pc");
        copy(m_ca.caFile(), "ca.pem", 0644);
    }

    // The TLS folder's files; a key gets mode 0600 unless told otherwise.
    void useClientCertificate(const test::IssuedCertificate& issued, mode_t keyMode = 0600) {
        copy(issued.certificate, "cert.pem", 0644);
        copy(issued.key, "key.pem", keyMode);
    }
    void copy(const std::string& from, const char* name, mode_t mode) {
        const std::string to = m_tls.file(name);
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        ASSERT_EQ(chmod(to.c_str(), mode), 0);
    }
    // The server asks for this PC's certificate.
    test::Ser2netTls serverTls() const {
        return {m_server.certificate, m_server.key, "engineering-pc", m_ca.caFile()};
    }
    test::ProgramResult torvctl(const std::vector<std::string>& arguments) const {
        return RunTorvctl(arguments, {"TORV_TLS_DIR=" + m_tls.path().string()});
    }

    test::PlantCa m_ca;
    test::IssuedCertificate m_server;
    test::IssuedCertificate m_client;
    test::TempDir m_tls;
    test::TempDir m_files;
};

TEST_F(NetworkTls, ReadAndWriteThroughTlsGiveTheBytesOfADirectRead) {
    test::SimulatedSensor sensor;
    const auto direct = RunTorvctl({"--port", sensor.devicePath(), "params", "read", m_files.file("direct")});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    useClientCertificate(m_client);
    const test::Ser2netServer server({sensor.devicePath()}, serverTls());
    ASSERT_EQ(server.portName().rfind("rfc2217s://", 0), 0u);

    const auto read = torvctl({"--port", server.portName(), "params", "read", m_files.file("tls")});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(ReadFileBytes(m_files.file("tls.torv")), ReadFileBytes(m_files.file("direct.torv")));

    ParameterSet changed = LoadParameterFile(m_files.file("tls.torv")).set;
    changed.bank[5][3] = 4321;
    ASSERT_EQ(SaveParameterFile(m_files.file("changed.torv"), changed), SaveStatus::Saved);
    const auto written =
        torvctl({"--yes", "--port", server.portName(), "params", "write", m_files.file("changed")});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    const auto readBack = torvctl({"--port", server.portName(), "params", "read", m_files.file("after")});
    ASSERT_EQ(readBack.exitCode, 0) << readBack.err;
    const ParameterSet after = LoadParameterFile(m_files.file("after.torv")).set;
    EXPECT_EQ(after.bank, changed.bank);
    EXPECT_EQ(after.common, changed.common);
}

// What must not be trusted, and what torvctl says: the port fails to open (exit 4) with the reason, and
// the sensor behind the server has seen nothing.
struct RefusalCase {
    const char* name;
    const char* expected;  // a part of stderr
};

class NetworkTlsRefusal : public NetworkTls, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(NetworkTlsRefusal, IsRefusedWithItsReasonAndNothingSent) {
    const RefusalCase& refusal = GetParam();
    const std::string name = refusal.name;
    test::PlantCa stranger("Some other CA");
    useClientCertificate(m_client);
    if (name == "server signed by another CA") {
        m_server = stranger.issue("server", "line3-srv", "DNS:localhost,IP:127.0.0.1");
    } else if (name == "name mismatch") {
        m_server = m_ca.issue("elsewhere", "line9-srv", "DNS:line9-srv.plant,IP:10.0.9.1");
    } else if (name == "expired server certificate") {
        m_server = m_ca.issue("old", "line3-srv", "DNS:localhost,IP:127.0.0.1", true);
    } else if (name == "no client certificate") {
        std::filesystem::remove(m_tls.file("cert.pem"));
        std::filesystem::remove(m_tls.file("key.pem"));
    } else if (name == "client the server does not know") {
        useClientCertificate(m_ca.issue("intruder", "intruder-pc"));
    } else if (name == "revoked client certificate") {
        copy(m_ca.revoke("client"), "crl.pem", 0644);
    } else if (name == "key readable by others") {
        useClientCertificate(m_client, 0644);
    } else if (name == "no CA") {
        std::filesystem::remove(m_tls.file("ca.pem"));
    }
    test::SimulatedSensor sensor;
    const test::Ser2netServer server({sensor.devicePath()}, serverTls());
    const auto result = torvctl({"--port", server.portName(), "params", "read", m_files.file("refused")});
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_NE(result.err.find(refusal.expected), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(m_files.file("refused.torv")));
    EXPECT_TRUE(sensor.frames().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryDistrust, NetworkTlsRefusal,
    ::testing::Values(
        RefusalCase{"server signed by another CA", "the server's certificate is not signed by the CA in"},
        RefusalCase{
            "name mismatch",
            "name mismatch: the server's certificate is for line9-srv.plant, 10.0.9.1, not for 127.0.0.1"},
        RefusalCase{"expired server certificate", "the server's certificate has expired"},
        RefusalCase{"no client certificate", "it may ask for a client certificate"},
        RefusalCase{"client the server does not know", "it may not accept this PC's certificate"},
        RefusalCase{"revoked client certificate", "cert.pem is revoked ("},
        RefusalCase{"key readable by others", "key.pem may be read by other users of this PC (mode 0644)"},
        RefusalCase{"no CA", "ca.pem: put there the certificate of the CA"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace
}  // namespace torv
