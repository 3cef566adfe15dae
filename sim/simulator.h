#pragma once
// Puts the simulated sensor together from the command line's choices: the seeded model, a saved state
// if there is one, the fault plan, and the pty server that runs it all.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/judgement_stream.h"

namespace torv::sim {

inline constexpr std::uint64_t kDefaultSeed = 1;

struct SimulatorOptions {
    std::optional<int> rate;                // --baud; when absent, the state file's rate or 57600
    std::uint64_t seed = kDefaultSeed;      // --seed
    std::optional<std::string> version;     // --version-chars; when absent, the state file's or "0105"
    std::string statePath;                  // --state
    std::string logPath;                    // --log
    std::string linkName;                   // --link
    std::vector<std::string> faults;        // --fault, each N=KIND or N+=KIND
    std::vector<std::string> afterStore;    // --after-store, each ADDRESS=VALUE
    std::string pace;                       // --pace MS or MIN-MAX; empty: 100-300
    std::string mix;                        // --mix OK,NG,NONE; empty: 85,12,3
    std::optional<std::string> fade;        // --fade POSITION,JUDGEMENTS[,AFTER]
    std::optional<std::string> smudge;      // --smudge-every N
    bool wireTime = false;                  // --wire-time
    double ngEverySeconds = 0;              // --ng-every; 0: the NG ring stays as seeded
    double readEverySeconds = 1;            // --read-every; 0: the recognized characters stay
    std::optional<std::string> recognized;  // --recognized: what every product reads
    bool verbose = false;                   // --verbose
};

// Exit codes: 0 after a clean stop (signal or hang-up fault), 1 when the pty, link or log cannot be set
// up, 2 for invalid options or an invalid state file. Messages for failures go to stderr.
int RunSimulator(const SimulatorOptions& options);

}  // namespace torv::sim
