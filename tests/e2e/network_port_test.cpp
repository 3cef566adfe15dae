// The operations through a real device server: Debian's ser2net serves torvsim's pseudo-terminal on
// the loopback with RFC 2217, and torvctl reaches it as rfc2217://127.0.0.1:PORT, named on the command
// line or by a COMn link: an NG read, a parameter write (with the rate change) and the read after it,
// the clock (their completion texts are the fault matrix's); and the servers that cannot give the port.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "link/com_device.h"
#include "params/parameter_file.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;

constexpr int kCommunic115200 = 6;

using test::RunTorvctl;

class NetworkPort : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!NetworkPortsAvailable() || test::Ser2netServer::ProgramPath().empty()) {
            GTEST_SKIP() << "needs network ports (libgensio) and ser2net";
        }
    }
    test::TempDir m_files;
};

// 256-byte blocks, each in one reply of 258 bytes that must arrive within the reply time-out. The server
// opens the device when a client connects, after the direct read has let it go. (The parameter words
// read through the server are held against the file by the write below.)
TEST_F(NetworkPort, NgReadThroughTheServerGivesTheFilesADirectReadGives) {
    test::SimulatedSensor sensor;
    const auto direct =
        RunTorvctl({"--port", sensor.devicePath(), "ng", "read", m_files.file("direct"), "--ng", "2"});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    const test::Ser2netServer server({sensor.devicePath()});
    const auto network =
        RunTorvctl({"--port", server.portName(), "ng", "read", m_files.file("network"), "--ng", "2"});
    EXPECT_EQ(network.exitCode, 0) << network.err;
    for (const char* extension : {".bmp", ".ng4"}) {
        EXPECT_EQ(ReadFileBytes(m_files.file(std::string("network") + extension)),
                  ReadFileBytes(m_files.file(std::string("direct") + extension)))
            << extension;
    }
}

// The store command goes out at 57600, the server moves its line to 115200 as the sensor does, and
// the reply and everything after travel at the new rate.
TEST_F(NetworkPort, WriteMovesTheSensorTo115200AndTheServerFollows) {
    ParameterSet fast = InitialParameterSet();
    fast.common[4] = static_cast<std::int32_t>((fast.common[4] & ~0x0700) | (kCommunic115200 << 8));
    fast.bank[7][3] = 1234;
    ASSERT_EQ(SaveParameterFile(m_files.file("fast.torv"), fast), SaveStatus::Saved);
    test::SimulatedSensor sensor;
    const test::Ser2netServer server({sensor.devicePath()});

    const auto written =
        RunTorvctl({"--yes", "--port", server.portName(), "params", "write", m_files.file("fast")});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(
        written.out,
        "Writing to TORV is completed.\nThe sensor now talks at 115200 baud: give --baud 115200 from now "
        "on.\n");
    const auto read = RunTorvctl(
        {"--port", server.portName(), "--baud", "115200", "params", "read", m_files.file("after")});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    const ParameterSet after = LoadParameterFile(m_files.file("after.torv")).set;
    EXPECT_EQ(after.bank, fast.bank);
    const test::SimState state = sensor.stopAndReadState();
    EXPECT_EQ(state.rate, 115200);
    for (int word = 0; word < kCommonWordCount; ++word) {
        EXPECT_EQ(after.common[word], state.word(word)) << word;
    }
}

TEST_F(NetworkPort, ClockThroughAComPortLinkedToTheServer) {
    test::SimulatedSensor sensor;
    const test::Ser2netServer server({sensor.devicePath()});
    const std::filesystem::path ports = m_files.path() / "torv" / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(server.portName(), ports / "COM4");
    const std::vector<std::string> environment{"XDG_CONFIG_HOME=" + m_files.path().string()};

    const auto listed = RunTorvctl({"ports"}, environment);
    EXPECT_NE(listed.out.find("COM4   " + server.portName() + " (link): network port, not encrypted\n"),
              std::string::npos)
        << listed.out;
    const auto result = RunTorvctl({"--yes", "--port", "COM4", "clock", "set"}, environment);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto frames = sensor.frames();
    ASSERT_EQ(frames.size(), 25u);
    EXPECT_EQ(frames.front(), "R 80 03");
    EXPECT_EQ(frames.back().substr(0, 4), "T 0F");
}

// A plain TCP socket on the loopback: listening without ever accepting (a connection then stays half
// made, as with a server that has hung), or connected to a server (holding its port).
int LoopbackSocket(int port, bool listening) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const auto* name = reinterpret_cast<const sockaddr*>(&address);
    EXPECT_TRUE(listening ? bind(fd, name, sizeof address) == 0 && listen(fd, 1) == 0
                          : connect(fd, name, sizeof address) == 0)
        << "loopback socket on port " << port;
    return fd;
}

TEST_F(NetworkPort, ServersThatCannotGiveThePortFailToOpen) {
    test::SimulatedSensor sensor;
    const test::Ser2netServer server({sensor.devicePath()});
    const int silentPort = test::FreeLoopbackPort();
    const int silent = LoopbackSocket(silentPort, true);
    const int holder = LoopbackSocket(server.tcpPort(), false);
    struct Case {
        const char* what;
        std::string port;
        const char* reason;  // what the line after the message says
    };
    const std::vector<Case> cases = {
        {"nothing listens", "rfc2217://127.0.0.1:" + std::to_string(test::FreeLoopbackPort()),
         "nothing takes connections there (connection refused)."},
        {"the server never answers", "rfc2217://127.0.0.1:" + std::to_string(silentPort),
         "no RFC 2217 session came up within 2000 ms"},
        {"another client has the port", server.portName(), "the server hung up"},  // quoting it, if it spoke
    };
    for (const Case& c : cases) {
        const auto result = RunTorvctl({"--port", c.port, "params", "read", m_files.file("read")});
        EXPECT_EQ(result.exitCode, 4) << c.what;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "Faild to open COM port.") << c.what;
        EXPECT_NE(result.err.find(c.port + ": " + c.reason), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(m_files.file("read.torv"))) << c.what;
    }
    EXPECT_TRUE(sensor.frames().empty());
    close(silent);
    close(holder);
}

TEST_F(NetworkPort, MalformedNetworkNamesAreUsageErrors) {
    for (const char* name : {"rfc2217://127.0.0.1", "rfc2217://127.0.0.1:0", "rfc2217://::1:3001"}) {
        const auto result = RunTorvctl({"--yes", "--port", name, "clock", "set"});
        EXPECT_EQ(result.exitCode, 2) << name;
        EXPECT_EQ(result.err, std::string("torvctl: --port ") + name +
                                  " names no network port (rfc2217://HOST:PORT or rfc2217s://HOST:PORT)\n");
    }
}

}  // namespace
}  // namespace torv
