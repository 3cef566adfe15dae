#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `fleet read|write|clock FLEET ...`: one operation on every sensor of a fleet file, all at once;
// `fleet monitor FLEET ...`: every sensor's judgements at once.
void AddFleetCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
