// torvctl fleet: one operation on many sensors at once, some on device paths, one through a real
// device server, one silent; the files each read leaves, the check of every file before a write, the
// summary lines, the exit codes, and Ctrl-C stopping every run.

#include <signal.h>

#include <gtest/gtest.h>

#include "link/com_device.h"
#include "link/port_names.h"
#include "params/parameter_file.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;
using test::RunTorvctl;
using test::WriteFileBytes;

constexpr int kFramesBeforeSignal = 40;

// The summary line of one sensor: "NAME  PORT  MESSAGE  SECONDS s".
std::string SummaryLine(const std::string& out, const std::string& name) {
    const std::size_t start = out.find(name + "  ");
    return start == std::string::npos ? std::string() : out.substr(start, out.find('\n', start) - start);
}

bool Mentions(const std::string& line, const std::string& text) {
    return line.find(text) != std::string::npos;
}

class TorvctlFleet : public ::testing::Test {
  protected:
    std::string writeFleet(const std::string& text) {
        WriteFileBytes(m_files.file("fleet.txt"), text);
        return m_files.file("fleet.txt");
    }
    test::TempDir m_files;
    const std::string m_folder = m_files.file("backup");
};

TEST_F(TorvctlFleet, ReadFillsTheFolderAsSingleReadsWouldAndNamesTheSilentSensor) {
    if (!NetworkPortsAvailable() || test::Ser2netServer::ProgramPath().empty()) {
        GTEST_SKIP() << "needs network ports (libgensio) and ser2net";
    }
    test::SimulatedSensor first({"--seed", "11"}, 11);
    test::SimulatedSensor networked({"--seed", "12"}, 12);
    test::SimulatedSensor silent({"--fault", "1+=silence"}, 13);
    const test::Ser2netServer server({networked.devicePath()});
    const std::string fleet =
        writeFleet("# line 3\r\nfront-1 " + first.devicePath() + "\r\nfront-2  " + server.portName() +
                   "  57600  # through the server\r\n\r\nback-1 " + silent.devicePath() + " 57600\r\n");

    const auto result = RunTorvctl({"fleet", "read", fleet, m_folder});
    EXPECT_EQ(result.exitCode, 7) << result.err;  // some failed
    const std::string front1 = SummaryLine(result.out, "front-1");
    const std::string front2 = SummaryLine(result.out, "front-2");
    const std::string back1 = SummaryLine(result.out, "back-1");
    EXPECT_TRUE(Mentions(front1, first.devicePath()) && Mentions(front1, "  ok  ")) << result.out;
    EXPECT_TRUE(Mentions(front2, server.portName() + "  ok  ")) << result.out;
    EXPECT_TRUE(Mentions(back1, silent.devicePath()) && Mentions(back1, "  No communication response.  "))
        << result.out;
    EXPECT_LT(result.out.find("front-1"), result.out.find("front-2"));
    EXPECT_LT(result.out.find("front-2"), result.out.find("back-1"));
    EXPECT_TRUE(Mentions(result.out, "\n3 sensors: 2 ok, 1 failed, ")) << result.out;
    EXPECT_TRUE(Mentions(result.err, "back-1: No reply from the sensor on " + silent.devicePath()))
        << result.err;
    EXPECT_EQ(test::ListFolder(m_folder), (std::vector<std::string>{"front-1.torv", "front-2.torv"}));

    // The same sensors read one at a time, as `params read` does.
    ASSERT_EQ(RunTorvctl({"--port", first.devicePath(), "params", "read", m_files.file("single-1")}).exitCode,
              0);
    ASSERT_EQ(RunTorvctl({"--port", server.portName(), "params", "read", m_files.file("single-2")}).exitCode,
              0);
    EXPECT_EQ(ReadFileBytes(m_folder + "/front-1.torv"), ReadFileBytes(m_files.file("single-1.torv")));
    EXPECT_EQ(ReadFileBytes(m_folder + "/front-2.torv"), ReadFileBytes(m_files.file("single-2.torv")));
    EXPECT_NE(ReadFileBytes(m_folder + "/front-1.torv"), ReadFileBytes(m_folder + "/front-2.torv"));
    // When every sensor fails, the fleet failed as a single command does.
    EXPECT_EQ(
        RunTorvctl({"--yes", "fleet", "clock", writeFleet("back-1 " + silent.devicePath() + "\n")}).exitCode,
        1);
}

TEST_F(TorvctlFleet, WriteChecksEveryFileBeforeAnySensorIsWrittenAndClockSetsEveryCalendar) {
    test::SimulatedSensor a({}, 11);
    test::SimulatedSensor b({}, 12);
    constexpr int kNakedWord = 100;  // c refuses a word of the write: its set stays partly written
    test::SimulatedSensor c({"--fault", std::to_string(kNakedWord) + "=nak"}, 13);
    const std::string fleet =
        writeFleet("a " + a.devicePath() + "\nb " + b.devicePath() + "\nc " + c.devicePath() + "\n");
    std::filesystem::create_directory(m_folder);
    for (const char* name : {"a", "b", "c"}) {
        ASSERT_EQ(SaveParameterFile(m_folder + "/" + name + ".torv", InitialParameterSet()),
                  SaveStatus::Saved);
    }
    const std::string whole = ReadFileBytes(m_folder + "/c.torv");
    WriteFileBytes(m_folder + "/c.torv", whole.substr(0, whole.find("Bank parameter No.9")));

    const auto refused = RunTorvctl({"--yes", "fleet", "write", fleet, m_folder});
    EXPECT_EQ(refused.exitCode, 5);
    EXPECT_EQ(refused.err.substr(0, refused.err.find('\n')), "c: The parameters file is invalid.");
    EXPECT_TRUE(Mentions(refused.err, "\n  " + m_folder + "/c.torv, line ")) << refused.err;
    EXPECT_TRUE(Mentions(refused.err, "\ntorvctl: nothing was written to any sensor\n")) << refused.err;
    EXPECT_FALSE(Mentions(refused.err, "a: ") || Mentions(refused.err, "b: ")) << refused.err;
    EXPECT_TRUE(refused.out.empty());
    for (const test::SimulatedSensor* sensor : {&a, &b, &c}) {
        EXPECT_TRUE(sensor->frames().empty());
    }

    WriteFileBytes(m_folder + "/c.torv", whole);
    const auto declined = RunTorvctl({"fleet", "write", fleet, m_folder});  // no terminal to ask
    EXPECT_EQ(declined.exitCode, 3);
    EXPECT_TRUE(Mentions(declined.err, "declined \"Agree to overwrite TORV setting?\""));
    EXPECT_TRUE(a.frames().empty());

    const auto written = RunTorvctl({"--yes", "fleet", "write", fleet, m_folder});
    const auto clock = RunTorvctl({"--yes", "fleet", "clock", fleet});
    EXPECT_EQ(written.exitCode, 7) << written.err;
    EXPECT_EQ(clock.exitCode, 0) << clock.err;
    EXPECT_TRUE(Mentions(written.out, "3 sensors: 2 ok, 1 failed, ")) << written.out;
    const std::string restore = "torvctl -p " + c.devicePath() + " params write " + m_folder + "/c.torv";
    EXPECT_TRUE(Mentions(written.err,
                         "\nc: the sensor holds a partly written set that it has not stored; to "
                         "restore it: " +
                             restore + "\n"))
        << written.err;
    EXPECT_EQ(clock.err.rfind(
                  "c: Warning: The last write to the sensor on " + c.devicePath() + " did not finish", 0),
              0u)
        << clock.err;
    for (const auto& [name, sensor] : {std::pair{"a", &a}, {"b", &b}, {"c", &c}}) {
        const auto frames = sensor->frames();
        const std::size_t writeFrames = sensor == &c ? kNakedWord : 590U;  // the store last
        ASSERT_EQ(frames.size(), writeFrames + 25U) << name;               // then the clock
        EXPECT_EQ(frames[writeFrames - 1][0], sensor == &c ? 'W' : 'U') << name;
        EXPECT_TRUE(Mentions(SummaryLine(clock.out, name), "  ok  ")) << clock.out;
    }
}

TEST_F(TorvctlFleet, MistakesInTheFleetFileAreUsageErrors) {
    using namespace std::string_literals;
    struct Case {
        std::string text;  // the fleet file ("" for no file at all); DIR: the test's folder
        std::string problem;
    };
    std::string crowd;  // one sensor more than there are port numbers
    for (int i = 1; i <= kMaxPortNumber + 1; ++i) {
        crowd += "s" + std::to_string(i) + " DIR/t" + std::to_string(i) + "\n";
    }
    // COM4 is DIR/tty by the ports folder's link.
    std::filesystem::create_directories(m_files.file("torv/ports"));
    WriteFileBytes(m_files.file("tty"), "");
    std::filesystem::create_symlink(m_files.file("tty"), m_files.file("torv/ports/COM4"));
    const std::string real = std::filesystem::canonical(m_files.path()).string();
    const std::vector<Case> cases = {
        {"", ": no such fleet file"},
        {"# nobody\n\n", ": names no sensor (one a line: NAME PORT [BAUD] [unencrypted])"},
        {"a COM3\nlonely\n", ":2: give NAME PORT [BAUD] [unencrypted]"},
        {"a COM3 57600 extra\n", ":1: give NAME PORT [BAUD] [unencrypted]"},
        {"../a COM3\n", ":1: NAME ../a is not a plain file name"},
        {"a COM0\n", ":1: PORT COM0 names no port (COM1 .. COM256, or a device path)"},
        {"a rfc2217://gw\n",
         ":1: PORT rfc2217://gw names no network port (rfc2217://HOST:PORT or rfc2217s://HOST:PORT)"},
        {"a COM3 1234\n",
         ":1: BAUD 1234 is not a rate of the sensor (4800, 9600, 19200, 38400, 57600, "
         "115200, 256000)"},
        {"a COM3\nb /dev/ttyUSB0\na COM4\n", ":3: NAME a is already on line 1"},
        {"a COM3\nb com3\n", ":2: PORT com3 is already on line 1"},
        {"a COM4\nb DIR/tty\n", ":2: PORT DIR/tty opens the same device as line 1 (" + real + "/tty)"},
        {"a\0b COM3\na\0c COM4\n"s, ":1: NAME a\\x00b holds a control character"},
        {crowd, ":257: a fleet holds at most 256 sensors (one port number each); split the file"},
    };
    const auto placed = [this](std::string text) {
        for (auto at = text.find("DIR"); at != std::string::npos; at = text.find("DIR", at)) {
            text.replace(at, 3, m_files.path().string());
        }
        return text;
    };
    for (const Case& c : cases) {
        const std::string path = c.text.empty() ? m_files.file("missing.txt") : writeFleet(placed(c.text));
        const auto result =
            RunTorvctl({"--yes", "fleet", "clock", path}, {"XDG_CONFIG_HOME=" + m_files.path().string()});
        EXPECT_EQ(result.exitCode, 2) << c.text;
        EXPECT_EQ(result.err, "torvctl: " + path + placed(c.problem) + "\n") << c.text;
    }
}

// A plain network port to another host warns on every run, unless its line says `unencrypted`. (The
// documentation addresses answer nobody: the runs fail, within the connection time-out.)
TEST_F(TorvctlFleet, UnencryptedPortsWarnUnlessTheirLineAcceptsThem) {
    const std::string fleet =
        writeFleet("a rfc2217://192.0.2.1:4001\nb rfc2217://192.0.2.2:4001 57600 unencrypted\n");
    const auto result =
        RunTorvctl({"--yes", "fleet", "clock", fleet}, {"XDG_CONFIG_HOME=" + m_files.path().string()});
    EXPECT_NE(result.err.find("torvctl: warning: a: rfc2217://192.0.2.1:4001 is not encrypted: anyone on the "
                              "network between can read and change what goes to the sensor"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("warning: b:"), std::string::npos) << result.err;
}

// Both reads run at 4800 baud with the line's own speed, so that both are under way when Ctrl-C comes.
TEST_F(TorvctlFleet, CtrlCStopsEveryRunAndLeavesNoFile) {
    test::SimulatedSensor a({"--baud", "4800", "--wire-time"}, 11);
    test::SimulatedSensor b({"--baud", "4800", "--wire-time"}, 12);
    const std::string fleet = writeFleet("a " + a.devicePath() + " 4800\nb " + b.devicePath() + " 4800\n");
    test::RunningProgram torvctl(TORVCTL_PATH, {"fleet", "read", fleet, m_folder});
    ASSERT_TRUE(a.waitForFrames(kFramesBeforeSignal) && b.waitForFrames(kFramesBeforeSignal));
    torvctl.signal(SIGINT);
    const test::ProgramResult result = torvctl.finish();
    EXPECT_EQ(result.exitCode, 3) << result.err;
    EXPECT_TRUE(Mentions(result.out, "2 sensors: 0 ok, 0 failed, 2 aborted, ")) << result.out;
    EXPECT_TRUE(test::ListFolder(m_folder).empty());
    for (const auto& [name, sensor] : {std::pair{"a", &a}, {"b", &b}}) {
        EXPECT_TRUE(Mentions(SummaryLine(result.out, name), "  Aborted.  ")) << result.out;
        EXPECT_LT(sensor->frames().size(), 590u) << name;  // stopped part-way
    }
}

}  // namespace
}  // namespace torv
