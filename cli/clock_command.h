#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `clock set`: the PC's local time into the sensor's calendar (the set-clock question,
// `kSetClockQuestion`, unless --yes).
void AddClockCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
