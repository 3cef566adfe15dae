#include "cli/fleet_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

#include "cli/cli_context.h"
#include "files/text_file.h"
#include "link/frames.h"
#include "link/port_names.h"

namespace torv::cli {
namespace {

constexpr int kDefaultFleetBaudRate = 57600;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

// A name becomes a file name in the fleet's folder, so it must stay there.
bool IsPlainFileName(const std::string& name) {
    return name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

// The device a port opens, spelled one way, so that two spellings of it are seen to be one: a COM name
// as the ports folder ties it.
std::string DeviceOf(const std::string& port) {
    const int number = ComPortNumberOf(port);
    return CanonicalDevicePath(number > 0 ? ComPortDevicePath(number) : port);
}

int ParseRate(const std::string& text) {
    int rate = 0;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, rate);
    return error == std::errc{} && next == end ? rate : -1;
}

// Why one line's words name no sensor; empty when they do (`sensor` then holds it).
std::string CheckLine(std::vector<std::string> words, FleetSensor& sensor) {
    sensor.unencryptedAccepted = words.size() > 2 && words.back() == "unencrypted";
    if (sensor.unencryptedAccepted) {
        words.pop_back();
    }
    if (words.size() < 2 || words.size() > 3) {
        return "give NAME PORT [BAUD] [unencrypted]";
    }
    sensor.name = words[0];
    sensor.port = words[1];
    // The system cuts a name at a NUL: two names could become one file, a port another device.
    if (std::any_of(sensor.name.begin(), sensor.name.end(), IsControlCharacter)) {
        return "NAME " + WithControlsEscaped(sensor.name) + " holds a control character";
    }
    if (std::any_of(sensor.port.begin(), sensor.port.end(), IsControlCharacter)) {
        return "PORT " + WithControlsEscaped(sensor.port) + " holds a control character";
    }
    if (!IsPlainFileName(sensor.name)) {
        return "NAME " + sensor.name + " is not a plain file name";
    }
    if (const std::string problem = PortNameProblem(sensor.port); !problem.empty()) {
        return "PORT " + sensor.port + ' ' + problem;
    }
    const int rate = words.size() == 3 ? ParseRate(words[2]) : kDefaultFleetBaudRate;
    if (const std::string problem = BaudRateProblem(rate); !problem.empty()) {
        return "BAUD " + words[2] + ' ' + problem;
    }
    sensor.baudIndex = BaudIndexOfRate(rate);
    sensor.device = DeviceOf(sensor.port);
    return {};
}

// Two lines may not name the same files or the same device, however each spells it: two runs on one
// line would mix their frames.
std::string CheckRepeats(const FleetSensor& sensor, const std::vector<FleetSensor>& earlier) {
    for (const FleetSensor& other : earlier) {
        const std::string onLine = " line " + std::to_string(other.line);
        if (other.name == sensor.name) {
            return "NAME " + sensor.name + " is already on" + onLine;
        }
        const int number = ComPortNumberOf(sensor.port);
        if (other.port == sensor.port || (number > 0 && number == ComPortNumberOf(other.port))) {
            return "PORT " + sensor.port + " is already on" + onLine;
        }
        if (other.device == sensor.device) {
            return "PORT " + sensor.port + " opens the same device as" + onLine + " (" + sensor.device + ")";
        }
    }
    return {};
}

}  // namespace

FleetFile ReadFleetFile(const std::string& path) {
    FleetFile fleet;
    TextLineReader reader(path);
    if (!reader.isOpen()) {
        fleet.problem = path + ": no such fleet file";
        return fleet;
    }
    std::string line;
    for (int number = 1; reader.readLine(line) == LineRead::kLine; ++number) {
        const std::vector<std::string> words = Words(line);
        if (words.empty()) {
            continue;
        }
        FleetSensor sensor;
        sensor.line = number;
        // Each run holds a port number of its own while the fleet runs.
        std::string problem = fleet.sensors.size() < static_cast<std::size_t>(kMaxPortNumber)
                                  ? CheckLine(words, sensor)
                                  : "a fleet holds at most " + std::to_string(kMaxPortNumber) +
                                        " sensors (one port number each); split the file";
        if (problem.empty()) {
            problem = CheckRepeats(sensor, fleet.sensors);
        }
        if (!problem.empty()) {
            fleet.problem = path + ':' + std::to_string(number) + ": " + problem;
            fleet.sensors.clear();
            return fleet;
        }
        fleet.sensors.push_back(sensor);
    }
    if (fleet.sensors.empty()) {
        fleet.problem = path + ": names no sensor (one a line: NAME PORT [BAUD] [unencrypted])";
    }
    return fleet;
}

}  // namespace torv::cli
