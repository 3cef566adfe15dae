#include "cli/clock_command.h"

#include "cli/device_operation.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

int RunClockSet(const GlobalOptions& options) {
    OperationState state;
    if (!Confirmed(options, state, Text(StringId::kSetClockQuestion))) {
        return kExitAborted;
    }
    return RunDeviceOperation(options, kSetClock, {}, state);
}

}  // namespace

void AddClockCommand(CLI::App& app, CliContext& context) {
    CLI::App* clock = app.add_subcommand("clock", "The sensor's built-in calendar");
    clock->require_subcommand(1);
    CLI::App* set = clock->add_subcommand("set", "Set the sensor's calendar to the PC's local time");
    set->callback([&context] { context.run = [&context] { return RunClockSet(context.options); }; });
}

}  // namespace torv::cli
