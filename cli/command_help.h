#pragma once
// `torvctl help COMMAND...`, and the examples each command's --help ends with.

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace torv::cli {

// Adds `help`, which prints the help of the command its words name (`torvctl help params write`).
void AddHelpCommand(CLI::App& app, CliContext& context);

// Ends each command's --help with a few examples and the exit codes; call once every command exists.
void AddExamples(CLI::App& app);

}  // namespace torv::cli
