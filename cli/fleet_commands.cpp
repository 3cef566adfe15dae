#include "cli/fleet_commands.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/device_operation.h"
#include "cli/fleet_file.h"
#include "cli/fleet_monitor.h"
#include "cli/fleet_mqtt.h"
#include "cli/fleet_run.h"
#include "cli/mqtt_options.h"
#include "cli/standard_input_file.h"
#include "cli/trend_command.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "link/frames.h"
#include "link/port_security.h"
#include "params/parameter_file.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct FleetArguments {
    std::string fleetPath;
    std::string folder;
};

// The file of one sensor: FOLDER/NAME (".torv" is added by the operation).
std::string SensorFileName(const std::string& folder, const FleetSensor& sensor) {
    return (fs::path(folder) / sensor.name).string();
}

// `-` reads the fleet from standard input.
bool LoadFleet(const std::string& path, FleetFile& fleet) {
    fleet = ReadFleetFile(path == kStandardStreamName ? StandardInputFile(".fleet") : path);
    if (!fleet.problem.empty()) {
        std::cerr << "torvctl: " << fleet.problem << '\n';
        return false;
    }
    for (const FleetSensor& sensor : fleet.sensors) {
        if (const std::string warning = UnencryptedPortWarning(sensor.device);
            !warning.empty() && !sensor.unencryptedAccepted) {
            std::cerr << "torvctl: warning: " << sensor.name << ": " << warning << '\n';
        }
    }
    return true;
}

// A write whose file names another rate moves the sensor there; the fleet file must follow.
void NoteRateChanges(const FleetArguments& arguments, const FleetFile& fleet,
                     const std::vector<FleetOutcome>& outcomes) {
    for (std::size_t i = 0; i < fleet.sensors.size(); ++i) {
        if (outcomes[i].outcome == OperationOutcome::kCompleted &&
            outcomes[i].baudIndexAfter != fleet.sensors[i].baudIndex) {
            std::cout << fleet.sensors[i].name << " now talks at "
                      << kBaudRates[static_cast<std::size_t>(outcomes[i].baudIndexAfter)]
                      << " baud: change its BAUD in " << arguments.fleetPath << ".\n";
        }
    }
}

int RunAndReport(const GlobalOptions& options, const FleetArguments& arguments, const FleetFile& fleet,
                 int code) {
    const Clock::time_point start = Clock::now();
    const std::vector<FleetOutcome> outcomes = RunFleet(
        fleet.sensors, code,
        [&arguments](const FleetSensor& sensor) { return SensorFileName(arguments.folder, sensor); },
        options.trace);
    const int result =
        ReportFleet(fleet.sensors, outcomes, std::chrono::duration<double>(Clock::now() - start).count());
    if (code == kWriteParameters) {
        NoteRateChanges(arguments, fleet, outcomes);
    }
    return result;
}

// A missing folder is made; anything else of that name is refused.
bool PrepareFolder(const std::string& folder) {
    std::error_code error;
    if (fs::is_directory(folder, error) || fs::create_directories(folder, error)) {
        return true;
    }
    std::cerr << "torvctl: " << folder << " is not a folder that can be written\n";
    return false;
}

int RunFleetRead(const GlobalOptions& options, const FleetArguments& arguments) {
    FleetFile fleet;
    if (!LoadFleet(arguments.fleetPath, fleet)) {
        return kExitUsage;
    }
    if (!PrepareFolder(arguments.folder)) {
        return kExitFile;
    }
    // One question for all the files that a read would replace.
    std::vector<std::string> existing;
    for (const FleetSensor& sensor : fleet.sensors) {
        const std::string path = MakeFilePath(SensorFileName(arguments.folder, sensor), kParameterFile);
        if (PathKindOf(path) != PathKind::kMissing) {
            existing.push_back(path);
        }
    }
    if (!existing.empty()) {
        for (const std::string& path : existing) {
            std::cerr << path << '\n';
        }
        OperationState state;
        if (!Confirmed(options, state, Text(StringId::kSameFileOverwrite))) {
            return kExitAborted;
        }
    }
    return RunAndReport(options, arguments, fleet, kReadParameters);
}

// Every file is checked before any sensor is written, so a fleet never ends up half restored because
// of a broken file.
bool AllFilesWritable(const FleetFile& fleet, const std::string& folder) {
    bool allGood = true;
    for (const FleetSensor& sensor : fleet.sensors) {
        const std::string path = MakeFilePath(SensorFileName(folder, sensor), kParameterFile);
        const LoadedParameters file = LoadParameterFile(path);
        if (file.status != LoadStatus::Loaded) {
            std::cerr << sensor.name << ": "
                      << Text(file.status == LoadStatus::NotFound ? StringId::kParameterFileNotFound
                                                                  : StringId::kParameterFileInvalid)
                      << "\n  " << (file.problem.empty() ? path : file.problem) << '\n';
            allGood = false;
        }
    }
    if (!allGood) {
        std::cerr << "torvctl: nothing was written to any sensor\n";
    }
    return allGood;
}

int RunFleetWrite(const GlobalOptions& options, const FleetArguments& arguments) {
    FleetFile fleet;
    if (!LoadFleet(arguments.fleetPath, fleet)) {
        return kExitUsage;
    }
    if (!AllFilesWritable(fleet, arguments.folder)) {
        return kExitFile;
    }
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kAgreeOverwriteSensor))) {
        return kExitAborted;
    }
    return RunAndReport(options, arguments, fleet, kWriteParameters);
}

int RunFleetClock(const GlobalOptions& options, const FleetArguments& arguments) {
    FleetFile fleet;
    if (!LoadFleet(arguments.fleetPath, fleet)) {
        return kExitUsage;
    }
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kSetClockQuestion))) {
        return kExitAborted;
    }
    return RunAndReport(options, arguments, fleet, kSetClock);
}

struct FleetMonitorArguments {
    std::string fleetPath;
    FleetMonitorOptions monitor;
    MqttOptions mqtt;  // --mqtt URL: each sensor's judgements to the broker, under its fleet name
};

// Each sensor's name is a level of its topics: one that cannot be is refused before anything runs.
bool NamesFitTopics(const FleetFile& fleet, const std::string& fleetPath) {
    for (const FleetSensor& sensor : fleet.sensors) {
        if (const std::string problem = MqttLevelProblem(sensor.name); !problem.empty()) {
            std::cerr << "torvctl: " << fleetPath << ":" << sensor.line << ": NAME " << sensor.name
                      << " cannot name a sensor in MQTT topics: it " << problem << '\n';
            return false;
        }
    }
    return true;
}

int RunFleetMonitorCommand(const GlobalOptions& options, const FleetMonitorArguments& arguments) {
    std::optional<MqttSettings> mqtt;
    if (std::string why; !MqttSettingsOf(arguments.mqtt, mqtt, why)) {
        std::cerr << "torvctl fleet monitor: " << why << '\n';
        return kExitUsage;
    }
    FleetFile fleet;
    if (!LoadFleet(arguments.fleetPath, fleet) || (mqtt && !NamesFitTopics(fleet, arguments.fleetPath))) {
        return kExitUsage;
    }
    if (!arguments.monitor.csvFolder.empty() && !PrepareFolder(arguments.monitor.csvFolder)) {
        return kExitFile;
    }
    return RunFleetMonitor(
        options, fleet.sensors, arguments.monitor,
        mqtt ? MqttListeners(*mqtt, arguments.monitor.csvFolder) : SensorListenerFactory());
}

// A time of zero or less would stop before the first poll; without the option there is no limit.
CLI::Validator PositiveSeconds() {
    return CLI::Validator(
        [](std::string& text) {
            double value = 0;
            if (CLI::detail::lexical_cast(text, value) && value > 0) {
                return std::string();
            }
            return text +
                   " is not a time: give seconds above 0, e.g. 0.5 or 3600 (leave the option out for no "
                   "limit)";
        },
        "");
}

void AddFleetMonitorSubcommand(CLI::App& fleet, CliContext& context) {
    auto arguments = std::make_shared<FleetMonitorArguments>();
    CLI::App* command = fleet.add_subcommand(
        "monitor",
        "Watch every sensor's judgements at once, each logged to its own CSV; a silent sensor is retried");
    command
        ->add_option("FLEET", arguments->fleetPath,
                     "Fleet file: one sensor a line, NAME PORT [BAUD] [unencrypted]")
        ->required();
    command
        ->add_option("--csv-dir", arguments->monitor.csvFolder,
                     "Log each sensor's judgements to DIR/NAME.csv (made when missing; an earlier one is "
                     "first moved aside to NAME-0001.csv); without it, nothing is logged")
        ->type_name("DIR");
    command->add_option("--seconds", arguments->monitor.seconds, "Stop after S seconds")
        ->check(PositiveSeconds());
    AddTrendOptions(*command, arguments->monitor.trend, arguments->monitor.baseline,
                    "Follow each sensor's recognition margins and say when one drifts");
    AddMqttOptions(*command, arguments->mqtt, false);
    command->callback([&context, arguments] {
        context.run = [&context, arguments] { return RunFleetMonitorCommand(context.options, *arguments); };
    });
}

using FleetRunner = int (*)(const GlobalOptions&, const FleetArguments&);

void AddFleetSubcommand(CLI::App& fleet, CliContext& context, const char* name, const char* description,
                        FleetRunner runner, const char* folderHelp) {
    auto arguments = std::make_shared<FleetArguments>();
    CLI::App* command = fleet.add_subcommand(name, description);
    command
        ->add_option("FLEET", arguments->fleetPath,
                     "Fleet file: one sensor a line, NAME PORT [BAUD] [unencrypted]")
        ->required();
    if (folderHelp != nullptr) {
        command->add_option("DIR", arguments->folder, folderHelp)->required();
    }
    command->callback([&context, arguments, runner] {
        context.run = [&context, arguments, runner] { return runner(context.options, *arguments); };
    });
}

}  // namespace

void AddFleetCommand(CLI::App& app, CliContext& context) {
    CLI::App* fleet =
        app.add_subcommand("fleet", "One operation on every sensor of a fleet file, all at once");
    fleet->require_subcommand(1);
    AddFleetSubcommand(*fleet, context, "read", "Read every sensor's parameters into DIR/NAME.torv",
                       RunFleetRead, "Folder for the parameter files (made when missing)");
    AddFleetSubcommand(*fleet, context, "write", "Write DIR/NAME.torv into each sensor and store it",
                       RunFleetWrite, "Folder holding the parameter files");
    AddFleetSubcommand(*fleet, context, "clock", "Set every sensor's calendar to the PC's local time",
                       RunFleetClock, nullptr);
    AddFleetMonitorSubcommand(*fleet, context);
}

}  // namespace torv::cli
