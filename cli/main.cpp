// torvctl: the TORV tool on the command line, for scripts and headless PCs.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_context.h"
#include "cli/clock_command.h"
#include "cli/dict_commands.h"
#include "cli/fleet_commands.h"
#include "cli/interrupts.h"
#include "cli/link_commands.h"
#include "cli/monitor_command.h"
#include "cli/ng_commands.h"
#include "cli/params_commands.h"
#include "cli/standard_streams.h"
#include "cli/success_text.h"
#include "cli/trace_printer.h"

namespace {

void AddGlobalOptions(CLI::App& app, torv::cli::GlobalOptions& options) {
    app.set_version_flag("--version", "torvctl " TORV_VERSION);
    app.add_option("-p,--port", options.port,
                   "COMn (see `torvctl ports`), a device path or rfc2217://HOST:PORT")
        ->envname("TORV_PORT")
        ->capture_default_str();
    app.add_option("-b,--baud", options.baudRate, "4800, 9600, 19200, 38400, 57600, 115200 or 256000")
        ->envname("TORV_BAUD")
        ->capture_default_str();
    auto* yes = app.add_flag_function(
        "-y,--yes", [&options](std::int64_t) { options.confirm = torv::cli::Confirm::kYes; },
        "Answer Yes to every question");
    auto* no = app.add_flag_function(
        "-n,--no", [&options](std::int64_t) { options.confirm = torv::cli::Confirm::kNo; },
        "Answer No to every question (a bare Enter at a question also answers No)");
    yes->excludes(no);
    app.add_flag("--trace", options.trace, "Print every frame sent and received on stderr");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print no success texts (\"Reading from TORV is completed.\"); failures still print");
}

int Run(int argc, char** argv) {
    torv::cli::CliContext context;
    CLI::App app{"torvctl: back up, restore and control a TORV sensor over its serial line", "torvctl"};
    app.require_subcommand(1);
    app.footer(torv::cli::kExitCodesHelp);
    app.fallthrough();
    AddGlobalOptions(app, context.options);
    torv::cli::AddExchangeCommand(app, context);
    torv::cli::AddPortsCommand(app, context);
    torv::cli::AddClockCommand(app, context);
    torv::cli::AddParamsCommand(app, context);
    torv::cli::AddNgCommand(app, context);
    torv::cli::AddDictCommand(app, context);
    torv::cli::AddMonitorCommand(app, context);
    torv::cli::AddKeyCommand(app, context);
    torv::cli::AddFleetCommand(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return torv::cli::kExitUsage;
    }
    torv::cli::SetQuiet(context.options.quiet);
    if (context.options.trace) {
        torv::cli::StartTrace();
    }
    if (!context.run) {
        return torv::cli::kExitUsage;
    }
    torv::cli::InstallInterruptHandlers();
    return torv::cli::ExitCodeAfterInterrupt(context.run());
}

}  // namespace

int main(int argc, char** argv) {
    if (!torv::cli::OpenStandardDescriptors()) {
        return torv::cli::kExitFailed;  // no /dev/null: better nothing than the port on one of them
    }
    torv::cli::CheckStandardOutput();
    return torv::cli::ExitCodeAfterOutput(Run(argc, argv));
}
