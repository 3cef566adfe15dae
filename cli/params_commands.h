#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/cli_context.h"
#include "params/catalogue.h"
#include "params/parameter_set.h"

namespace torv::cli {

// `params read|write|sheet|show|diff|set`: parameter files and the sensor's parameter memory.
void AddParamsCommand(CLI::App& app, CliContext& context);

// The parameter file a command names, or nullopt after printing the message and what is wrong.
std::optional<ParameterSet> LoadParametersOrSay(const std::string& name);

// A parameter's value as the terminal shows it: control bytes escaped, a list value outside its list
// as its number in brackets ("(7)").
std::string ShownValue(const ParameterSet& set, int bank, const ParameterRow& row);

// The file-only commands (show, diff, set), added to the `params` command.
void AddParamsFileCommands(CLI::App& params, CliContext& context);

}  // namespace torv::cli
