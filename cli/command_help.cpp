#include "cli/command_help.h"

#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/nearest_word.h"

namespace torv::cli {

namespace {

struct CommandExamples {
    std::string_view path;  // the command's words after "torvctl"
    std::string_view examples;
};

constexpr CommandExamples kExamples[] = {
    {"ports", "  torvctl ports\n"},
    {"exchange", "  torvctl -p COM3 exchange R 0 0      # the sensor's first common block\n"},
    {"clock set", "  torvctl -p COM3 clock set -y\n"},
    {"params read",
     "  torvctl -p COM3 params read line3            # writes line3.torv\n"
     "  torvctl -p /dev/ttyUSB0 -b 38400 params read backup/line3\n"},
    {"params write",
     "  torvctl -p COM3 params write line3 --backup line3-before --verify\n"
     "  torvctl -p COM3 -y params write line3 || echo \"exit $?\"\n"},
    {"params sheet", "  torvctl params sheet line3 --out line3-sheet\n"},
    {"params show", "  torvctl params show line3 --bank 2\n"},
    {"params get",
     "  torvctl params get line3 DATEFRMT\n"
     "  shutter=$(torvctl params get line3 SHUTTER --bank 0)\n"},
    {"params diff",
     "  torvctl params diff golden line3 --values\n"
     "  torvctl params diff golden line3 >/dev/null; [ $? -eq 6 ] && echo changed\n"},
    {"params set", "  torvctl params set line3 --bank 0 SHUTTER=90 ORIENTTN=REVS\n"},
    {"ng read", "  torvctl -p COM3 ng read ng-newest --ng 1   # ng-newest.bmp and ng-newest.ng4\n"},
    {"ng csv", "  torvctl -p COM3 ng csv all-ng\n"},
    {"ng png", "  torvctl ng png ng-newest --out shared/ng-newest.png\n"},
    {"dict show", "  torvctl dict show line3\n"},
    {"dict recognized", "  torvctl -p COM3 dict recognized line3\n"},
    {"dict from-ng", "  torvctl -p COM3 dict from-ng line3 --ng 2\n"},
    {"dict read", "  torvctl -p COM3 dict read line3\n"},
    {"dict write", "  torvctl -p COM3 dict write line3\n"},
    {"monitor",
     "  torvctl -p COM3 monitor --csv line3-log\n"
     "  torvctl -p COM3 monitor --count 100 | grep NG\n"
     "  torvctl -p COM3 monitor --csv line3-log --trend   # a drifting margin is said on stderr\n"},
    {"trend",
     "  torvctl trend line3-log-0001 line3-log            # oldest first\n"
     "  torvctl trend line3-log --png line3-trend.png --baseline 500\n"
     "  torvctl --json trend line3-log | jq '.alarms[0]'\n"},
    {"key", "  torvctl -p COM3 key VIEW UP UP SET\n"},
    {"fleet read", "  torvctl fleet read plant.fleet backups/$(date +%F)\n"},
    {"fleet write", "  torvctl -y fleet write plant.fleet golden\n"},
    {"fleet clock", "  torvctl -y fleet clock plant.fleet\n"},
    {"fleet monitor",
     "  torvctl fleet monitor plant.fleet --csv-dir logs/$(date +%F)   # logs/NAME.csv per sensor\n"
     "  torvctl fleet monitor plant.fleet --csv-dir logs --seconds 3600 --trend 2>events.txt\n"
     "  torvctl fleet monitor plant.fleet --csv-dir logs --mqtt mqtt://broker.plant/plant   # "
     "plant/NAME/...\n"},
};

void AddExamplesBelow(CLI::App& command, const std::string& path) {
    for (const CommandExamples& entry : kExamples) {
        if (entry.path == path) {
            command.footer("Examples:\n" + std::string(entry.examples) + "\n" + kExitCodesHelp);
        }
    }
    for (CLI::App* sub : command.get_subcommands([](const CLI::App*) { return true; })) {
        AddExamplesBelow(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name());
    }
}

std::vector<std::string> SubcommandNames(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::App* sub : command.get_subcommands([](const CLI::App*) { return true; })) {
        names.push_back(sub->get_name());
    }
    return names;
}

int PrintHelpOf(const CLI::App& app, const std::vector<std::string>& words) {
    const CLI::App* command = &app;
    std::string path = "torvctl";
    for (const std::string& word : words) {
        const CLI::App* next = nullptr;
        for (const CLI::App* sub : command->get_subcommands([](const CLI::App*) { return true; })) {
            if (sub->get_name() == word && sub->get_name() != "help") {
                next = sub;
            }
        }
        if (next == nullptr) {
            std::cerr << "torvctl help: unknown command '" << word << "'";
            if (const auto nearest = NearestWord(word, SubcommandNames(*command))) {
                std::cerr << "; did you mean '" << *nearest << "'?";
            }
            std::cerr << " (see `" << path << " --help`)\n";
            return kExitUsage;
        }
        command = next;
        path += " " + word;
    }
    // Not command->help(): that shows the help of whatever subcommand the parse chose, here `help` itself.
    std::cout << command->get_formatter()->make_help(command, path, CLI::AppFormatMode::Normal);
    return kExitOk;
}

}  // namespace

void AddHelpCommand(CLI::App& app, CliContext& context) {
    auto words = std::make_shared<std::vector<std::string>>();
    CLI::App* help =
        app.add_subcommand("help", "Print the help of a command, e.g. `torvctl help params write`");
    help->add_option("COMMAND", *words, "The command's words");
    help->callback(
        [&app, &context, words] { context.run = [&app, words] { return PrintHelpOf(app, *words); }; });
}

void AddExamples(CLI::App& app) {
    AddExamplesBelow(app, "");
}

}  // namespace torv::cli
