#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// `dict show`: a dictionary file's characters on the terminal.
void AddDictCommand(CLI::App& app, CliContext& context);

}  // namespace torv::cli
