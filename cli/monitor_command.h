#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `monitor [--csv NAME] [--count K] [--seconds S]`: the sensor's live judgements, one line each on
// stdout, optionally logged to the result CSV exactly as the desktop tool writes it.
void AddMonitorCommand(CLI::App& app, CliContext& context);

// `key SET|EXIT|VIEW|VIEW+UP|VIEW+DOWN|UP|DOWN`: presses one front-panel key.
void AddKeyCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
