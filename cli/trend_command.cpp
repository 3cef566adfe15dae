#include "cli/trend_command.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "cli/standard_input_file.h"
#include "files/file_kind.h"
#include "monitor/result_csv_reader.h"
#ifndef TORV_WITHOUT_PNG
#include "cli/png_file.h"
#include "cli/trend_png.h"
#endif

namespace torv::cli {
namespace {

struct TrendArguments {
    std::vector<std::string> files;
    std::string pngName;  // empty: no chart
    int baseline = kDefaultTrendBaseline;
};

std::string Printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return std::iscntrl(static_cast<unsigned char>(c)) != 0; },
        '?');
    return text;
}

double Rounded(double value) {
    return std::round(value * 100) / 100;
}

std::string Fixed(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

// The trend of every judgement the files hold, read in the order given. A record that cannot be read
// is named on stderr and skipped; a file that cannot be read, or that holds no judgement among what it
// cannot read, ends the run: the trend of the others would pass for the whole line's.
int ReadLogs(const std::vector<std::string>& names, MarginTrend& trend, std::vector<UnreadRecord>& unread) {
    for (const std::string& name : names) {
        const std::string path = CommandFileName(name, kCsvFile);
        if (path.empty()) {
            return kExitFile;  // standard input could not be kept; the reason is on stderr
        }
        const std::string label = name == kStandardStreamName || NamesStreamAsItIs(name) ? name : path;
        const std::size_t unreadBefore = unread.size();
        const long long judgementsBefore = trend.judgements();
        std::string failure;
        const bool read = ReadResultCsv(
            path, [&trend](const Judgement& judgement, std::string_view time) { trend.add(judgement, time); },
            unread, failure);
        if (!read) {
            std::cerr << "torvctl: the result CSV " << label << " could not be read\n" << failure << '\n';
            return kExitFile;
        }
        for (std::size_t i = unreadBefore; i < unread.size(); ++i) {
            unread[i].file = label;
        }
        if (trend.judgements() == judgementsBefore && unread.size() > unreadBefore) {
            std::cerr << "torvctl: " << label
                      << " is not a result CSV: not one judgement could be read in it\n"
                      << unread[unreadBefore].text() << '\n';
            return kExitFile;
        }
        for (std::size_t i = unreadBefore; i < unread.size(); ++i) {
            std::cerr << "torvctl: " << Printable(unread[i].text()) << " (skipped)\n";
        }
    }
    return kExitOk;
}

Json PositionJson(const PositionTrend& position) {
    const auto learnedOrNull = [&position](double value) {
        return position.learned() ? Json(Rounded(value)) : Json(nullptr);
    };
    Json json;
    json["position"] = position.position();
    json["baseline"] = learnedOrNull(position.baseline());
    json["sigma"] = learnedOrNull(position.sigma());
    json["current"] = learnedOrNull(position.level());
    json["spread"] = learnedOrNull(position.spread());
    json["limit"] = learnedOrNull(position.limit());
    json["readings"] = position.readings();
    json["learned"] = position.learned();
    json["alarm"] = position.inAlarm();
    return json;
}

void PrintJsonReport(const MarginTrend& trend, const std::vector<UnreadRecord>& unread,
                     const std::string& pngName) {
    Json positions = Json::array();
    for (const PositionTrend& position : trend.positions()) {
        positions.push_back(PositionJson(position));
    }
    Json alarms = Json::array();
    for (const TrendAlarm& alarm : trend.alarms()) {
        alarms.push_back(TrendAlarmJson(alarm));
    }
    Json skipped = Json::array();
    for (const UnreadRecord& record : unread) {
        skipped.push_back(Json{{"file", record.file}, {"line", record.line}, {"reason", record.reason}});
    }
    PrintJson(Json{{"judgements", trend.judgements()},
                   {"ng", trend.ngCount()},
                   {"baseline_judgements", trend.baselineJudgements()},
                   {"positions", positions},
                   {"alarms", alarms},
                   {"unread", skipped},
                   {"png", pngName.empty() ? Json(nullptr) : Json(pngName)}});
}

// One line per position under a heading, the alarms in the order raised, then the totals.
void PrintTextReport(const MarginTrend& trend, const std::string& pngName) {
    if (trend.positions().empty()) {
        std::cout << "No character was read: there is no margin to follow.\n";
    } else {
        std::cout << "Position  Baseline   Sigma   Level   Limit  Spread  Readings  State\n";
    }
    for (const PositionTrend& position : trend.positions()) {
        char line[160];
        if (position.learned()) {
            std::snprintf(line, sizeof line, "%8d  %8s  %6s  %6s  %6s  %6s  %8lld  %s\n", position.position(),
                          Fixed(position.baseline()).c_str(), Fixed(position.sigma()).c_str(),
                          Fixed(position.level()).c_str(), Fixed(position.limit()).c_str(),
                          Fixed(position.spread()).c_str(), position.readings(),
                          position.inAlarm() ? "in alarm" : "normal");
        } else {
            std::snprintf(line, sizeof line, "%8d  %8s  %6s  %6s  %6s  %6s  %8lld  learning (%lld of %d)\n",
                          position.position(), "-", "-", "-", "-", "-", position.readings(),
                          position.readings(), trend.baselineJudgements());
        }
        std::cout << line;
    }
    std::cout << (trend.alarms().empty() ? "\nNo alarm.\n" : "\nAlarms:\n");
    for (const TrendAlarm& alarm : trend.alarms()) {
        std::cout << "  judgement " << alarm.judgement << " (" << Printable(alarm.time)
                  << "): " << PrintableAlarmText(alarm) << '\n';
    }
    const double share = trend.judgements() > 0 ? 100.0 * trend.ngCount() / trend.judgements() : 0;
    char total[96];
    std::snprintf(total, sizeof total, "\n%lld judgements, %lld NG (%.2f%%)\n", trend.judgements(),
                  trend.ngCount(), share);
    std::cout << total;
    if (!pngName.empty()) {
        std::cout << "Chart: " << pngName << '\n';
    }
}

#ifndef TORV_WITHOUT_PNG
// Why the chart cannot go where asked (empty when it can): stdout holds the report, and a log given
// to read must never be replaced by its own chart.
std::string PngNameProblem(const TrendArguments& arguments) {
    if (arguments.pngName == kStandardStreamName) {
        return "torvctl trend: the report goes to stdout; give --png a file name";
    }
    for (const std::string& name : arguments.files) {
        if (name != kStandardStreamName &&
            SameFile(MakeFilePath(CommandBaseName(name, kCsvFile), kCsvFile), arguments.pngName)) {
            return "torvctl: " + arguments.pngName + " is the result CSV " + name +
                   " itself; give the chart a name of its own";
        }
    }
    return {};
}
#endif

int RunTrend(const GlobalOptions& options, const TrendArguments& arguments) {
#ifndef TORV_WITHOUT_PNG
    if (!arguments.pngName.empty()) {
        if (const std::string problem = PngNameProblem(arguments); !problem.empty()) {
            std::cerr << problem << '\n';
            return kExitUsage;
        }
    }
#endif
    MarginTrend trend(arguments.baseline);
    std::vector<UnreadRecord> unread;
    if (const int code = ReadLogs(arguments.files, trend, unread); code != kExitOk) {
        return code;
    }
#ifndef TORV_WITHOUT_PNG
    if (!arguments.pngName.empty()) {
        NoteJsonFile(arguments.pngName);
        if (const int code = WritePngFile(options, arguments.pngName, TrendChartPng(trend));
            code != kExitOk) {
            return code;
        }
    }
#else
    (void)options;
#endif
    if (JsonOutput()) {
        PrintJsonReport(trend, unread, arguments.pngName);
    } else {
        PrintTextReport(trend, arguments.pngName);
    }
    return kExitOk;
}

}  // namespace

void AddTrendOptions(CLI::App& command, bool& trend, int& baseline, const std::string& trendHelp) {
    auto* flag = command.add_flag("--trend", trend, trendHelp);
    command
        .add_option("--baseline", baseline,
                    "With --trend: learn each position's normal level from its first N readings")
        ->check(TrendBaselineCheck())
        ->capture_default_str()
        ->needs(flag);
}

CLI::Validator TrendBaselineCheck() {
    return CLI::Validator(
        [](std::string& text) {
            int value = 0;
            if (CLI::detail::lexical_cast(text, value) && value >= kShortestTrendBaseline &&
                value <= kLongestTrendBaseline) {
                return std::string();
            }
            return text + " is not a baseline: give " + std::to_string(kShortestTrendBaseline) + " to " +
                   std::to_string(kLongestTrendBaseline) + " judgements (default " +
                   std::to_string(kDefaultTrendBaseline) + ")";
        },
        "");
}

std::string PrintableAlarmText(const TrendAlarm& alarm) {
    TrendAlarm shown = alarm;
    shown.character = std::iscntrl(static_cast<unsigned char>(alarm.character)) != 0 ? '?' : alarm.character;
    return AlarmText(shown);
}

Json TrendAlarmJson(const TrendAlarm& alarm) {
    return Json{{"judgement", alarm.judgement},
                {"position", alarm.position},
                {"character", std::string(1, alarm.character)},
                {"rule", RuleName(alarm.rule)},
                {"time", alarm.time},
                {"baseline", Rounded(alarm.baseline)},
                {"level", Rounded(alarm.level)},
                {"sigmas", Rounded(alarm.shiftSigmas())}};
}

void AddTrendCommand(CLI::App& app, CliContext& context) {
    auto arguments = std::make_shared<TrendArguments>();
    CLI::App* trend = app.add_subcommand(
        "trend",
        "The recognition-margin trend of monitor logs: per position its normal level and spread, where it "
        "is now, and every alarm raised while the judgements were still OK");
    trend
        ->add_option("FILE", arguments->files,
                     "Result CSV files written by `monitor --csv`, oldest first (\".csv\" is added); one "
                     "trend runs across them all")
        ->required();
    trend
        ->add_option("--baseline", arguments->baseline,
                     "Learn each position's normal level from its first N readings")
        ->check(TrendBaselineCheck())
        ->capture_default_str();
#ifndef TORV_WITHOUT_PNG  // a cross-build without libpng
    trend->add_option("--png", arguments->pngName,
                      "Also draw the chart into OUT.png: a panel per position and the NG rate below");
#endif
    trend->callback([&context, arguments] {
        context.run = [&context, arguments] { return RunTrend(context.options, *arguments); };
    });
}

}  // namespace torv::cli
