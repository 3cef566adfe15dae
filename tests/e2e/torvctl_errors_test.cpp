// What torvctl says when it cannot do its work: the tool's own message on the first line, then the
// facts (the port and its device, the system's reason and what to do, the file and the line); nothing
// on stdout, nothing sent, no file made.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "link/com_port.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

constexpr int kHeldPort = 77;

enum class Setup { kNone, kSilent, kNoRights, kPortHeld };

struct ErrorCase {
    std::vector<std::string> arguments;  // PORT: the sensor's device; DIR/: the test's folder
    int exitCode;                        // the class: 1 the sensor, 4 the port, 5 a file
    std::string message;                 // the first line
    std::vector<std::string> details;    // each found in the lines after it
    Setup setup = Setup::kNone;
    bool whole = false;  // the one detail is the whole rest of stderr
};

const std::string kGone = "DIR/ttyGONE does not exist (is the adapter plugged in?).";
const std::string kOpenFailed = "Faild to open COM port.";

// clang-format off
const ErrorCase kCases[] = {
    {{"--yes", "--port", "DIR/ttyGONE", "clock", "set"}, 4, kOpenFailed, {kGone}, Setup::kNone, true},
    {{"--port", "DIR/ttyGONE", "exchange", "R", "0", "0"}, 4, kOpenFailed, {kGone}, Setup::kNone, true},
    {{"--port", "DIR/ttyGONE", "key", "SET"}, 4, kOpenFailed, {kGone}, Setup::kNone, true},
    {{"--port", "DIR/ttyGONE", "monitor"}, 4, kOpenFailed, {kGone}, Setup::kNone, true},
    {{"--yes", "--port", "PORT", "clock", "set"}, 4, kOpenFailed,
     {"Permission denied on /dev/pts/", "dialout"}, Setup::kNoRights},
    {{"--yes", "--port", "PORT", "clock", "set"}, 4, kOpenFailed,
     {"is in use by e2e_tests (pid " + std::to_string(getpid()) + ")"}, Setup::kPortHeld},
    {{"--yes", "--port", "PORT", "params", "write", "DIR/missing"}, 5, "The parameters file is not found.",
     {"missing.torv does not exist."}},
    {{"--yes", "--port", "PORT", "params", "write", "DIR/short"}, 5, "The parameters file is invalid.",
     {"short.torv, line 5: expected a number 0..65535, but the file ends there."}},
    {{"--yes", "--port", "PORT", "params", "write", "DIR/bad"}, 5, "The parameters file is invalid.",
     {"bad.torv, line 23: expected a number 0..65535, but it reads \"12x7\"."}},
    {{"params", "sheet", "DIR/missing"}, 5, "The parameters file is not found.",
     {"DIR/missing.torv does not exist."}, Setup::kNone, true},
    {{"ng", "png", "DIR/missing"}, 5, "The NG data file is not found.", {"DIR/missing.bmp does not exist."},
     Setup::kNone, true},
    {{"dict", "show", "DIR/none"}, 5, "The expansion dictionary file is not found. Create a new data.",
     {"DIR/none.dic4 does not exist."}, Setup::kNone, true},
    {{"--port", "PORT", "params", "read", ""}, 5, "Please specify file name.", {"Filename"}},
    {{"--port", "PORT", "monitor", "--csv", ""}, 5, "Please specify file name.", {"--csv NAME"}},
    {{"--port", "PORT", "monitor", "--csv", "DIR/dir"}, 5, "Failed to create the file.",
     {"DIR/dir.csv is a folder"}},
    // Usage mistakes name the word that was wrong, and never propose the word that was typed.
    {{"parms", "show", "DIR/bad"}, 2, "torvctl: unknown command 'parms'; did you mean 'params'? (see `torvctl --help`)", {}},
    {{"params", "sert", "DIR/bad"}, 2,
     "torvctl: unknown command 'sert'; did you mean 'set'? (see `torvctl params --help`)", {}},
    {{"clock", "read"}, 2, "torvctl: unknown command 'read' (see `torvctl clock --help`)", {}},
    {{"params", "show", "DIR/bad", "--bnak", "2"},
     2,
     "torvctl: unknown option '--bnak'; did you mean '--bank'? (see `torvctl params show --help`)",
     {}},
    {{"help", "fleet", "rd"}, 2, "torvctl help: unknown command 'rd'; did you mean 'read'? (see `torvctl fleet --help`)", {}},
    {{"--port", "", "clock", "set"}, 2, "--port: is empty: give COMn, a device path or rfc2217://HOST:PORT", {}},
    {{"--port", "PORT", "monitor", "--count", "0"}, 2,
     "--count: 0 is not a number of judgements: give 1 or more (leave the option out for no limit)", {}},
    {{"params", "get", "DIR/bad", "shutter"}, 2, "torvctl params get: SHUTTER is set per bank: give --bank 0..15", {}},
    {{"params", "get", "DIR/bad", "SHUTTER", "--bank", "1"}, 5, "The parameters file is invalid.",
     {"bad.torv, line 23"}},
    {{"--yes", "--port", "PORT", "clock", "set"}, 1, "No communication response.",
     {" at 57600 baud within 1000 ms", "baud rate", "cable"}, Setup::kSilent},
    {{"--port", "PORT", "exchange", "R", "0", "0"}, 1, "No communication response.", {"PORT at 57600 baud"},
     Setup::kSilent},
};
// clang-format on

std::string Placed(std::string word, const test::SimulatedSensor& sensor, const test::TempDir& files) {
    if (const auto at = word.find("PORT"); at != std::string::npos) {
        word.replace(at, 4, sensor.devicePath());
    }
    return word.starts_with("DIR/") ? files.file(word.substr(4)) : word;
}

TEST(TorvctlErrors, MessageFirstThenTheFacts) {
    for (const ErrorCase& c : kCases) {
        test::TempDir files;
        const auto cwd = fs::current_path();
        fs::current_path(files.path());  // where a file without a name would appear
        fs::permissions(files.path(), fs::perms::all);
        const std::string header = "Software version\r\n0105\r\nCommon parameter\r\n";
        test::WriteFileBytes(files.file("short.torv"), header + "1\r\n");
        std::string words;  // twelve: the common block
        for (int i = 0; i < 12; ++i) {
            words += "1\r\n";
        }
        test::WriteFileBytes(files.file("bad.torv"), header + words + "Bank parameter No.0\r\n" +
                                                         words.substr(0, 6 * 3) + "12x7\r\n");  // line 23
        fs::create_directory(files.file("dir.csv"));
        test::SimulatedSensor sensor(c.setup == Setup::kSilent
                                         ? std::vector<std::string>{"--fault", "1+=silence"}
                                         : std::vector<std::string>{});
        std::vector<std::string> arguments;
        for (const std::string& word : c.arguments) {
            arguments.push_back(Placed(word, sensor, files));
        }
        std::string program = TORVCTL_PATH;
        if (c.setup == Setup::kNoRights) {
            chmod(sensor.devicePath().c_str(), 0600);  // root's own, as a port outside dialout
            if (geteuid() == 0) {                      // run without root's right to open any device
                arguments.insert(arguments.begin(),
                                 {"--reuid=65534", "--regid=65534", "--clear-groups", program});
                program = "/usr/bin/setpriv";
            }
        } else if (c.setup == Setup::kPortHeld) {
            SetComPortDevicePath(kHeldPort, sensor.devicePath());
            OpenComPort(kHeldPort, kLinkQueueSize, kLinkQueueSize);  // this test holds it
        }
        const test::ProgramResult result = test::RunProgram(program, arguments);
        const std::string name = ::testing::PrintToString(c.arguments);
        const auto end = result.err.find('\n');
        EXPECT_EQ(result.exitCode, c.exitCode) << name << result.err;
        EXPECT_EQ(result.err.substr(0, end), c.message) << name;
        if (c.whole) {
            EXPECT_EQ(result.err.substr(end + 1), Placed(c.details[0], sensor, files) + "\n") << name;
        }
        for (const std::string& detail : c.details) {
            EXPECT_NE(result.err.find(Placed(detail, sensor, files), end), std::string::npos)
                << name << result.err;
        }
        EXPECT_EQ(result.out, "") << name;
        EXPECT_EQ(sensor.frames().size(), c.setup == Setup::kSilent ? 1U : 0U) << name;
        fs::current_path(cwd);
        EXPECT_EQ(test::ListFolder(files.path()),
                  (std::vector<std::string>{"bad.torv", "dir.csv", "short.torv"}))
            << name;
        CloseComPort(kHeldPort);
        SetComPortDevicePath(kHeldPort, {});
    }
}

}  // namespace
}  // namespace torv
