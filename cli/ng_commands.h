#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `ng read|csv|png`: stored NG inspections from the sensor, and their images for sharing.
void AddNgCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
