#include "cli/params_commands.h"

#include <iostream>
#include <memory>

#include "cli/device_operation.h"
#include "cli/success_text.h"
#include "cli/terminal_host.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/text_file.h"
#include "link/frames.h"
#include "params/parameter_file.h"
#include "params/parameter_operations.h"
#include "params/parameter_sheet.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

struct ParamsArguments {
    std::string name;
    std::string sheetName;
    std::string backupName;  // write: read the sensor into this file first
    bool verify = false;     // write: read everything back after the store and compare
};

// The operation that reads a written set back; it has no code of its own and no main-window button.
constexpr OperationInfo kVerifyParameters{kReadParameters, VerifyParametersOperation,
                                          StringId::kReadCompleted, false};

// Reads every written word back at the rate the write left the sensor at.
int VerifyWrite(LinkTarget target, const GlobalOptions& options, const std::string& name,
                OperationState& state) {
    target.baudIndex = state.BaudIndex;
    const OperationReport report = RunOperationOn(target, options.confirm, kVerifyParameters, name, state);
    if (report.outcome != OperationOutcome::kCompleted) {
        const int code = ReportOutcome(report);
        // The one failure without a message of its own is the list of words that differ.
        return report.outcome == OperationOutcome::kFailed && NumberOfText(report.text) == 0 ? kExitDiffers
                                                                                             : code;
    }
    SaySuccess("Verified: the sensor holds every word of " + state.OperationFilePath +
               " that a write sends.");
    return kExitOk;
}

int RunParamsRead(const GlobalOptions& options, const ParamsArguments& arguments) {
    OperationState state;
    return RunDeviceOperation(options, kReadParameters, CommandBaseName(arguments.name, kParameterFile),
                              state);
}

// A plain write sends the same frames with or without --backup and --verify: the backup is a read
// before it, the verification a read after it.
int RunParamsWrite(const GlobalOptions& options, const ParamsArguments& arguments) {
    const std::string name = CommandBaseName(arguments.name, kParameterFile);
    const std::string backup =
        arguments.backupName.empty() ? std::string() : CommandBaseName(arguments.backupName, kParameterFile);
    if (!backup.empty() &&
        SameFile(MakeFilePath(name, kParameterFile), MakeFilePath(backup, kParameterFile))) {
        std::cerr << "torvctl: --backup names the file to be written; give the backup a name of its own\n";
        return kExitUsage;
    }
    LinkTarget target;
    if (!ResolveLinkTarget(options, target)) {
        return kExitUsage;
    }
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kAgreeOverwriteSensor))) {
        return kExitAborted;
    }
    if (!backup.empty()) {
        if (const int read = RunDeviceOperation(options, kReadParameters, backup, state); read != kExitOk) {
            std::cerr << "torvctl: no backup was made, so nothing was written to the sensor.\n";
            return read;
        }
    }
    const int result = RunDeviceOperation(options, kWriteParameters, name, state);
    if (result != kExitOk) {
        if (state.UnstoredWords) {
            PrintUnstoredNotice(state, backup.empty() ? std::string() : MakeFilePath(backup, kParameterFile));
        }
        return result;
    }
    if (state.BaudIndex != target.baudIndex) {
        std::cout << "The sensor now talks at " << kBaudRates[static_cast<std::size_t>(state.BaudIndex)]
                  << " baud: give --baud " << kBaudRates[static_cast<std::size_t>(state.BaudIndex)]
                  << " from now on.\n";
    }
    return arguments.verify ? VerifyWrite(target, options, name, state) : kExitOk;
}

int RunParamsSheet(const GlobalOptions& options, const ParamsArguments& arguments) {
    const std::optional<ParameterSet> set = LoadParametersOrSay(arguments.name);
    if (!set) {
        return kExitFile;
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
        return kExitFile;
    }
    SaySuccess(Text(StringId::kSheetCompleted));
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
    const NamedCommand write = AddNamedCommand(
        *params, context, "write", "Write NAME.torv into the sensor and store it", RunParamsWrite);
    write.command->add_option("--backup", write.arguments->backupName,
                              "First read the sensor's parameters into NAME2 (\".torv\" is added); "
                              "nothing is written unless that read succeeds");
    write.command->add_flag("--verify", write.arguments->verify,
                            "After the store, read every written word back and compare it with NAME.torv "
                            "(exit 6, listing the words, when they differ)");
    const NamedCommand sheet = AddNamedCommand(
        *params, context, "sheet", "Export NAME.torv as a CSV sheet, one column per bank", RunParamsSheet);
    sheet.command->add_option("--out", sheet.arguments->sheetName,
                              "Sheet name (\".csv\" is added); default: NAME");
    AddParamsFileCommands(*params, context);
}

}  // namespace torv::cli
