#include "cli/ng_commands.h"

#include <iostream>
#include <memory>

#include "cli/device_operation.h"
#ifndef TORV_WITHOUT_PNG
#include "cli/json_output.h"
#include "cli/ng_png.h"
#include "cli/standard_input_file.h"
#endif
#include "engine/operation_state.h"
#include "files/file_kind.h"
#include "ngdata/ng_slots.h"

namespace torv::cli {
namespace {

struct NgArguments {
    std::string name;
    int ngDataNumber = 1;
    std::string pngName;
};

// NAME with or without one of the NG files' extensions.
std::string NgBaseName(const std::string& name) {
    return RemoveKnownExtension(name,
                                {FileKindExtension(kNgDataFile), FileKindExtension(kNgImageFile), ".png"});
}

int RunNgRead(const GlobalOptions& options, const NgArguments& arguments) {
    OperationState state;
    state.NgDataNumber = arguments.ngDataNumber;
    return RunDeviceOperation(options, kReadNgData, NgBaseName(arguments.name), state);
}

int RunNgCsv(const GlobalOptions& options, const NgArguments& arguments) {
    OperationState state;
    return RunDeviceOperation(options, kConvertNgDataToCsv, CommandBaseName(arguments.name, kCsvFile), state);
}

#ifndef TORV_WITHOUT_PNG
int RunNgPng(const GlobalOptions& options, const NgArguments& arguments) {
    const std::string base = NgBaseName(arguments.name);
    const std::string png = arguments.pngName.empty() ? base + ".png" : arguments.pngName;
    const std::string bitmap = MakeFilePath(base, kNgImageFile);
    if (png == kStandardStreamName && JsonOutput()) {
        std::cerr << "torvctl ng png: --out - and --json both want stdout: give one of them\n";
        return kExitUsage;
    }
    if (png != kStandardStreamName &&
        SameFile(bitmap, png)) {  // the PNG would replace the only copy of the screen image
        std::cerr << "torvctl: " << png << " is the screen image " << bitmap
                  << " itself; give the PNG a name of its own (--out)\n";
        return kExitUsage;
    }
    return ConvertNgImageToPng(options, bitmap, png);
}
#endif

using NgRunner = int (*)(const GlobalOptions&, const NgArguments&);

std::shared_ptr<NgArguments> AddNgSubcommand(CLI::App& ng, CliContext& context, const char* name,
                                             const char* description, const char* nameHelp, NgRunner runner,
                                             CLI::App** command) {
    auto arguments = std::make_shared<NgArguments>();
    *command = ng.add_subcommand(name, description);
    (*command)->add_option("NAME", arguments->name, nameHelp)->required();
    (*command)->callback([&context, arguments, runner] {
        context.run = [&context, arguments, runner] { return runner(context.options, *arguments); };
    });
    return arguments;
}

}  // namespace

void AddNgCommand(CLI::App& app, CliContext& context) {
    CLI::App* ng = app.add_subcommand("ng", "Stored NG inspections: image, data and CSV files");
    ng->require_subcommand(1);
    CLI::App* read = nullptr;
    const auto readArguments = AddNgSubcommand(
        *ng, context, "read", "Read one stored NG into NAME.bmp (its screen image) and NAME.ng4",
        "Base name of the NG files (\".bmp\" and \".ng4\" are added)", RunNgRead, &read);
    read->add_option("--ng", readArguments->ngDataNumber, "NG data number: 1 is the newest NG, 30 the oldest")
        ->check(CLI::Range(1, kNgDataNumberCount))
        ->capture_default_str();
    CLI::App* csv = nullptr;
    AddNgSubcommand(*ng, context, "csv", "Convert every stored NG, newest first, into NAME.csv",
                    "CSV file (\".csv\" is added)", RunNgCsv, &csv);
#ifndef TORV_WITHOUT_PNG  // a cross-build without libpng
    CLI::App* png = nullptr;
    const auto pngArguments =
        AddNgSubcommand(*ng, context, "png", "Convert the screen image NAME.bmp into NAME.png, for sharing",
                        "Base name of the NG files (\".bmp\" is read)", RunNgPng, &png);
    png->add_option("--out", pngArguments->pngName,
                    "The PNG file to write (default: NAME.png; - for stdout)");
#endif
}

}  // namespace torv::cli
