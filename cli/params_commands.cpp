#include "cli/params_commands.h"

#include <iostream>
#include <memory>

#include "cli/device_operation.h"
#include "cli/terminal_host.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "link/frames.h"
#include "params/parameter_file.h"
#include "params/parameter_sheet.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

struct ParamsArguments {
    std::string name;
    std::string sheetName;
};

int RunParamsRead(const GlobalOptions& options, const ParamsArguments& arguments) {
    OperationState state;
    return RunDeviceOperation(options, kReadParameters, CommandBaseName(arguments.name, kParameterFile),
                              state);
}

int RunParamsWrite(const GlobalOptions& options, const ParamsArguments& arguments) {
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kAgreeOverwriteSensor))) {
        return kExitAborted;
    }
    LinkTarget target;
    const int result =
        RunDeviceOperation(options, kWriteParameters, CommandBaseName(arguments.name, kParameterFile), state);
    if (result == kExitOk && ResolveLinkTarget(options, target) && state.BaudIndex != target.baudIndex) {
        std::cout << "The sensor now talks at " << kBaudRates[static_cast<std::size_t>(state.BaudIndex)]
                  << " baud: give --baud " << kBaudRates[static_cast<std::size_t>(state.BaudIndex)]
                  << " from now on.\n";
    }
    return result;
}

int RunParamsSheet(const GlobalOptions& options, const ParamsArguments& arguments) {
    const std::optional<ParameterSet> set = LoadParametersOrSay(arguments.name);
    if (!set) {
        return kExitFailed;
    }
    const std::string& sheetName = arguments.sheetName.empty() ? arguments.name : arguments.sheetName;
    const std::string target = CommandFileName(CommandBaseName(sheetName, kParameterFile), kCsvFile);
    OperationState state;
    TerminalHost host(options.confirm, state);
    if (FileExists(target) &&
        !host.ask(Caption::kWarning, Icon::kExclamation, Text(StringId::kSameFileOverwrite), Answer::kYes)) {
        std::cerr << Text(StringId::kAborted) << '\n';
        return kExitAborted;
    }
    if (WriteParameterSheet(target, *set) != SaveStatus::Saved) {
        std::cerr << Text(StringId::kCreateFileFailed) << '\n';
        return kExitFailed;
    }
    std::cout << Text(StringId::kSheetCompleted) << '\n';
    return kExitOk;
}

using ParamsRunner = int (*)(const GlobalOptions&, const ParamsArguments&);

struct NamedCommand {
    CLI::App* command;
    std::shared_ptr<ParamsArguments> arguments;
};

NamedCommand AddNamedCommand(CLI::App& params, CliContext& context, const char* name, const char* description,
                             ParamsRunner runner) {
    auto arguments = std::make_shared<ParamsArguments>();
    CLI::App* command = params.add_subcommand(name, description);
    command->add_option("NAME", arguments->name, "Parameter file (\".torv\" is added)")->required();
    command->callback([&context, arguments, runner] {
        context.run = [&context, arguments, runner] { return runner(context.options, *arguments); };
    });
    return {command, arguments};
}

}  // namespace

void AddParamsCommand(CLI::App& app, CliContext& context) {
    CLI::App* params = app.add_subcommand("params", "Parameter files and the sensor's parameters");
    params->require_subcommand(1);
    AddNamedCommand(*params, context, "read", "Read every parameter from the sensor into NAME.torv",
                    RunParamsRead);
    AddNamedCommand(*params, context, "write", "Write NAME.torv into the sensor and store it",
                    RunParamsWrite);
    const NamedCommand sheet = AddNamedCommand(
        *params, context, "sheet", "Export NAME.torv as a CSV sheet, one column per bank", RunParamsSheet);
    sheet.command->add_option("--out", sheet.arguments->sheetName,
                              "Sheet name (\".csv\" is added); default: NAME");
    AddParamsFileCommands(*params, context);
}

}  // namespace torv::cli
