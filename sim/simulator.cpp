#include "sim/simulator.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>

#include "sim/fault_plan.h"
#include "sim/pty_server.h"
#include "sim/sensor_model.h"
#include "sim/state_file.h"

namespace torv::sim {
namespace {

constexpr int kExitSetupFailed = 1;
constexpr int kExitBadInput = 2;
constexpr double kMinNgEverySeconds = 0.1;
constexpr double kMinReadEverySeconds = 0.1;
constexpr char kFirstRecognizable = '!';
constexpr char kLastRecognizable = '~';

SimTime SecondsToSimTime(double seconds) {
    return std::chrono::duration_cast<SimTime>(std::chrono::duration<double>(seconds));
}

// A text the line can print and read: printable characters without blanks, one count byte's worth.
bool IsRecognizableText(const std::string& text) {
    return text.size() <= static_cast<std::size_t>(kMaxRecognizedCount) &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return c >= kFirstRecognizable && c <= kLastRecognizable; });
}

// The recognized characters: a new product at the chosen pace, or one fixed text.
void SetUpRecognizedLine(const SimulatorOptions& options, SensorModel& model) {
    RecognizedLine& line = model.recognizedLine();
    line.setInterval(SecondsToSimTime(options.readEverySeconds));
    if (options.recognized) {
        line.readAlways(*options.recognized);
    }
}

bool BuildFaultPlan(const std::vector<std::string>& faultTexts, FaultPlan& plan) {
    for (const std::string& text : faultTexts) {
        if (plan.add(text) != FaultParseResult::kOk) {
            std::cerr
                << "torvsim: invalid --fault \"" << text
                << "\" (expected N=KIND or N+=KIND, KIND one of silence, nak, checksum, truncate, delay, "
                   "hangup)\n";
            return false;
        }
    }
    return true;
}

// "ADDRESS=VALUE", both decimal 0..65535.
bool ParseCorrection(const std::string& text, std::map<std::uint16_t, std::uint16_t>& corrections) {
    constexpr unsigned long kMaxWord = 0xFFFF;
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size() ||
        text.find_first_not_of("0123456789=") != std::string::npos || text.size() > 11) {
        return false;
    }
    const unsigned long address = std::stoul(text.substr(0, equals));
    const unsigned long value = std::stoul(text.substr(equals + 1));
    if (address > kMaxWord || value > kMaxWord) {
        return false;
    }
    corrections[static_cast<std::uint16_t>(address)] = static_cast<std::uint16_t>(value);
    return true;
}

bool BuildStoreCorrections(const std::vector<std::string>& texts, SensorModel& model) {
    std::map<std::uint16_t, std::uint16_t> corrections;
    for (const std::string& text : texts) {
        if (!ParseCorrection(text, corrections)) {
            std::cerr << "torvsim: invalid --after-store \"" << text
                      << "\" (expected ADDRESS=VALUE, both 0..65535)\n";
            return false;
        }
    }
    model.setStoreCorrections(std::move(corrections));
    return true;
}

// The saved state replaces the seeded one; options given on the command line still win.
bool LoadState(const SimulatorOptions& options, SensorModel& model) {
    if (!options.statePath.empty()) {
        SensorState saved;
        const StateFileResult result = LoadStateFile(options.statePath, saved);
        if (result == StateFileResult::kInvalid) {
            std::cerr << "torvsim: the state file " << options.statePath << " is invalid\n";
            return false;
        }
        if (result == StateFileResult::kLoaded) {
            model.restore(std::move(saved));
        }
    }
    if (options.rate) {
        model.setRate(*options.rate);
    }
    if (options.version) {
        SensorState state = model.state();
        state.version = *options.version;
        model.restore(std::move(state));
    }
    return true;
}

const char* SetupFailureText(ServerResult result) {
    switch (result) {
        case ServerResult::kPtyFailed:
            return "cannot open a pseudo-terminal";
        case ServerResult::kLinkFailed:
            return "cannot create the port link";
        case ServerResult::kLogFailed:
            return "cannot open the log file";
        default:
            return "";
    }
}

}  // namespace

int RunSimulator(const SimulatorOptions& options) {
    if (options.rate && !IsSensorRate(*options.rate)) {
        std::cerr << "torvsim: --baud must be one of 4800, 9600, 19200, 38400, 57600, 115200, 256000\n";
        return kExitBadInput;
    }
    if (options.version && !IsValidVersion(*options.version)) {
        std::cerr << "torvsim: --version-chars takes four printable characters without blanks\n";
        return kExitBadInput;
    }
    if (!options.linkName.empty() && !IsPortLinkName(options.linkName)) {
        std::cerr << "torvsim: --link takes a port name such as COM3\n";
        return kExitBadInput;
    }
    if (options.ngEverySeconds != 0 && options.ngEverySeconds < kMinNgEverySeconds) {
        std::cerr << "torvsim: --ng-every takes at least " << kMinNgEverySeconds << " seconds\n";
        return kExitBadInput;
    }
    JudgementSettings judgements;
    if (!options.pace.empty() && !ParsePace(options.pace, judgements)) {
        std::cerr << "torvsim: --pace takes milliseconds between judgements, MS or MIN-MAX (0 .. 60000)\n";
        return kExitBadInput;
    }
    if (!options.mix.empty() && !ParseMix(options.mix, judgements)) {
        std::cerr << "torvsim: --mix takes three weights OK,NG,NONE (0 .. 1000, not all 0)\n";
        return kExitBadInput;
    }
    if (options.fade && !ParseFade(*options.fade, judgements)) {
        std::cerr << "torvsim: --fade takes POSITION,JUDGEMENTS[,AFTER] (position 1 .. 32, judgements "
                     "1 .. 1000000, after 0 .. 1000000)\n";
        return kExitBadInput;
    }
    if (options.smudge && !ParseSmudgeEvery(*options.smudge, judgements)) {
        std::cerr << "torvsim: --smudge-every takes a number of judgements, 1 .. 1000000\n";
        return kExitBadInput;
    }
    if (options.readEverySeconds != 0 && options.readEverySeconds < kMinReadEverySeconds) {
        std::cerr << "torvsim: --read-every takes 0 or at least " << kMinReadEverySeconds << " seconds\n";
        return kExitBadInput;
    }
    if (options.recognized && !IsRecognizableText(*options.recognized)) {
        std::cerr << "torvsim: --recognized takes at most " << kMaxRecognizedCount
                  << " printable characters without blanks\n";
        return kExitBadInput;
    }
    FaultPlan faults;
    SensorModel model(options.seed, options.rate.value_or(kDefaultRate),
                      options.version.value_or(kDefaultVersion), judgements);
    if (!BuildFaultPlan(options.faults, faults) || !BuildStoreCorrections(options.afterStore, model) ||
        !LoadState(options, model)) {
        return kExitBadInput;
    }
    model.setNgInterval(SecondsToSimTime(options.ngEverySeconds));
    SetUpRecognizedLine(options, model);
    PtyServer server(model, faults,
                     ServerOptions{options.linkName, options.statePath, options.logPath, options.wireTime,
                                   options.verbose});
    const ServerResult opened = server.open();
    if (opened != ServerResult::kOk) {
        std::cerr << "torvsim: " << SetupFailureText(opened) << '\n';
        return kExitSetupFailed;
    }
    return server.run();
}

}  // namespace torv::sim
