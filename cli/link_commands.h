#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `exchange LETTER B1 B2 [--reply-bytes M]`: one raw exchange with the sensor.
void AddExchangeCommand(CLI::App& app, CliContext& context);
// `ports`: the COMn map and the serial devices present.
void AddPortsCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
