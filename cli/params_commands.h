#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `params read|write|sheet|show|diff|set`: parameter files and the sensor's parameter memory.
void AddParamsCommand(CLI::App& app, CliContext& context);

// The file-only commands (show, diff, set), added to the `params` command.
void AddParamsFileCommands(CLI::App& params, CliContext& context);

}  // namespace torv::cli
