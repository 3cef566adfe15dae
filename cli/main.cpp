// torvctl: the TORV tool on the command line, for scripts and headless PCs.

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_context.h"
#include "cli/clock_command.h"
#include "cli/command_help.h"
#include "cli/dict_commands.h"
#include "cli/fleet_commands.h"
#include "cli/interrupts.h"
#include "cli/json_output.h"
#include "cli/link_commands.h"
#include "cli/monitor_command.h"
#include "cli/nearest_word.h"
#include "cli/ng_commands.h"
#include "cli/params_commands.h"
#include "cli/standard_streams.h"
#include "cli/success_text.h"
#include "cli/trace_printer.h"
#include "cli/trend_command.h"

namespace {

void AddGlobalOptions(CLI::App& app, torv::cli::GlobalOptions& options) {
    app.set_version_flag("--version", "torvctl " TORV_VERSION);
    app.add_option(
           "-p,--port", options.port,
           "COMn (see `torvctl ports`), a device path, rfc2217://HOST:PORT or rfc2217s://HOST:PORT (TLS)")
        ->envname("TORV_PORT")
        ->check(
            [](const std::string& name) {
                return name.empty() ? std::string("is empty: give COMn, a device path or rfc2217://HOST:PORT")
                                    : std::string();
            },
            "PORT")
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
    app.add_flag("--json", options.json,
                 "Print facts as JSON on stdout and a failure as JSON on stderr (see the manual page)");
    app.add_flag("-q,--quiet", options.quiet,
                 "Print no success texts (\"Reading from TORV is completed.\"); failures still print");
}

// The command a parse stopped at: the deepest one chosen.
CLI::App* DeepestCommand(CLI::App& app) {
    CLI::App* deepest = &app;
    while (!deepest->get_subcommands().empty()) {
        deepest = deepest->get_subcommands().front();
    }
    return deepest;
}

// "--bnak" -> "--bank": the long options of the command and of the commands above it.
std::optional<std::string> NearestOption(CLI::App* command, const std::string& word) {
    std::vector<std::string> names;
    for (const CLI::App* level = command; level != nullptr; level = level->get_parent()) {
        for (const CLI::Option* option : level->get_options()) {
            for (const std::string& name : option->get_lnames()) {
                names.push_back("--" + name);
            }
        }
    }
    return torv::cli::NearestWord(word.substr(0, word.find('=')), names);
}

// The word the parse could not take, named, with the nearest command or option: CLI11 says only that
// a subcommand is required, which does not tell a user that "parms" was the mistake.
std::optional<std::string> UnknownWordText(CLI::App& app) {
    CLI::App* deepest = DeepestCommand(app);
    std::vector<std::string> names;
    for (const CLI::App* command : deepest->get_subcommands([](const CLI::App*) { return true; })) {
        names.push_back(command->get_name());
    }
    std::string path;
    for (const CLI::App* level = deepest; level != nullptr; level = level->get_parent()) {
        path = level->get_name() + (path.empty() ? "" : " ") + path;
    }
    for (const std::string& word : app.remaining(true)) {
        if (word.starts_with("--") && word.size() > 2) {
            std::string text = "torvctl: unknown option '" + word + "'";
            if (const auto nearest = NearestOption(deepest, word)) {
                text += "; did you mean '" + *nearest + "'?";
            }
            return text + " (see `" + path + " --help`)";
        }
        if (word.empty() || word.front() == '-' || names.empty()) {
            continue;
        }
        std::string text = "torvctl: unknown command '" + word + "'";
        if (const auto nearest = torv::cli::NearestWord(word, names)) {
            text += "; did you mean '" + *nearest + "'?";
        }
        return text + " (see `" + path + " --help`)";
    }
    return std::nullopt;
}

// Whether the command line asks for JSON, before it is parsed: a usage error is then reported as
// JSON too. Help and version texts stay text.
bool AsksForJson(int argc, char** argv) {
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--") {
            break;
        }
        if (word == "-h" || word == "--help" || word == "--version") {
            return false;
        }
        json = json || word == "--json";
    }
    return json;
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
    torv::cli::AddTrendCommand(app, context);
    torv::cli::AddKeyCommand(app, context);
    torv::cli::AddFleetCommand(app, context);
    torv::cli::AddHelpCommand(app, context);
    torv::cli::AddExamples(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        if (const auto unknown = UnknownWordText(app)) {
            std::cerr << *unknown << '\n';
            return torv::cli::kExitUsage;
        }
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
    if (AsksForJson(argc, argv)) {
        torv::cli::StartJsonRun();
    }
    return torv::cli::ExitCodeAfterOutput(torv::cli::FinishJsonRun(Run(argc, argv)));
}
