// What torvctl says when it cannot do its work: the tool's own message on the first line, then the
// facts (the port and its device, the system's reason and what to do, the file and the line).

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "link/com_port.h"
#include "link/frames.h"
#include "link/port_names.h"
#include "params/parameter_file.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

namespace fs = std::filesystem;

constexpr int kHeldPort = 77;

struct ErrorCase {
    const char* name;
    std::vector<std::string> simArguments;
    std::function<std::vector<std::string>(const test::SimulatedSensor&, const test::TempDir&)> command;
    const char* message;               // the first line
    std::vector<std::string> details;  // each found in the lines after it
    bool asOrdinaryUser = false;       // run without root's right to open any device
};

std::vector<std::string> FirstLineAndRest(const std::string& err) {
    const auto end = err.find('\n');
    return {err.substr(0, end), end == std::string::npos ? "" : err.substr(end + 1)};
}

TEST(TorvctlErrors, MessageFirstThenTheFacts) {
    const std::vector<ErrorCase> cases = {
        {"missing device",
         {},
         [](const auto&, const test::TempDir& files) {
             return std::vector<std::string>{"--yes", "--port", files.file("ttyGONE"), "clock", "set"};
         },
         "Faild to open COM port.",
         {"ttyGONE does not exist"}},
        {"permission denied",
         {},
         [](const test::SimulatedSensor& sensor, const auto&) {
             chmod(sensor.devicePath().c_str(), 0600);  // root's own, as a port outside dialout
             return std::vector<std::string>{"--yes", "--port", sensor.devicePath(), "clock", "set"};
         },
         "Faild to open COM port.",
         {"Permission denied on /dev/pts/", "dialout"},
         true},
        {"port in use",
         {},
         [](const test::SimulatedSensor& sensor, const auto&) {
             SetComPortDevicePath(kHeldPort, sensor.devicePath());
             OpenComPort(kHeldPort, kLinkQueueSize, kLinkQueueSize);  // this test holds it
             return std::vector<std::string>{"--yes", "--port", sensor.devicePath(), "clock", "set"};
         },
         "Faild to open COM port.",
         {"is in use by e2e_tests (pid " + std::to_string(getpid()) + ")"}},
        {"file not found",
         {},
         [](const test::SimulatedSensor& sensor, const test::TempDir& files) {
             return std::vector<std::string>{"--yes",  "--port", sensor.devicePath(),
                                             "params", "write",  files.file("missing")};
         },
         "The parameters file is not found.",
         {"missing.torv does not exist."}},
        {"invalid file line",
         {},
         [](const test::SimulatedSensor& sensor, const test::TempDir& files) {
             test::WriteFileBytes(files.file("short.torv"),
                                  "Software version\r\n0105\r\nCommon parameter\r\n1\r\n");
             return std::vector<std::string>{"--yes",  "--port", sensor.devicePath(),
                                             "params", "write",  files.file("short")};
         },
         "The parameters file is invalid.",
         {"short.torv, line 5: expected a number of up to 8 digits, but the file ends there."}},
        {"empty file name",
         {},
         [](const test::SimulatedSensor& sensor, const auto&) {
             return std::vector<std::string>{"--port", sensor.devicePath(), "params", "read", ""};
         },
         "Please specify file name.",
         {"Filename"}},
        {"silent sensor",
         {"--fault", "1+=silence"},
         [](const test::SimulatedSensor& sensor, const auto&) {
             return std::vector<std::string>{"--yes", "--port", sensor.devicePath(), "clock", "set"};
         },
         "No communication response.",
         {" at 57600 baud within 1000 ms", "baud rate", "cable"}},
    };
    for (const ErrorCase& c : cases) {
        test::TempDir files;
        const auto cwd = fs::current_path();
        fs::current_path(files.path());  // where a file without a name would appear
        fs::permissions(files.path(), fs::perms::all);
        test::SimulatedSensor sensor(c.simArguments);
        std::vector<std::string> arguments = c.command(sensor, files);
        std::string program = TORVCTL_PATH;
        if (c.asOrdinaryUser && geteuid() == 0) {
            arguments.insert(arguments.begin(),
                             {"--reuid=65534", "--regid=65534", "--clear-groups", program});
            program = "/usr/bin/setpriv";
        }
        const test::ProgramResult result = test::RunProgram(program, arguments);
        const auto lines = FirstLineAndRest(result.err);
        EXPECT_EQ(result.exitCode, 1) << c.name << result.err;
        EXPECT_EQ(lines[0], c.message) << c.name;
        for (const std::string& detail : c.details) {
            EXPECT_NE(lines[1].find(detail), std::string::npos) << c.name << ": " << result.err;
        }
        fs::current_path(cwd);
        EXPECT_LE(test::ListFolder(files.path()).size(), 1u) << c.name;  // only what the case put there
        CloseComPort(kHeldPort);
        SetComPortDevicePath(kHeldPort, {});
    }
}

}  // namespace
}  // namespace torv
