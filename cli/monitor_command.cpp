#include "cli/monitor_command.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/interrupts.h"
#include "cli/json_output.h"
#include "cli/mqtt_options.h"
#include "cli/standard_streams.h"
#include "cli/text_shaping.h"
#include "cli/trend_command.h"
#include "files/file_kind.h"
#include "link/failure_details.h"
#include "link/frames.h"
#include "monitor/iso_time.h"
#include "monitor/margin_trend.h"
#include "monitor/result_monitor.h"
#include "remote/remote_keys.h"
#include "resources/strings.h"

namespace torv::cli {
namespace {

struct MonitorLimits {
    std::optional<std::string> csvName;  // absent: no CSV
    int count = 0;                       // stop after this many judgements; 0: no limit
    double seconds = 0;                  // stop after this long; 0: no limit
    bool append = false;                 // add to the CSV's judgements instead of moving it aside
    bool trend = false;                  // follow the recognition margins and say when one drifts
    int baseline = kDefaultTrendBaseline;
    MqttOptions mqtt;  // --mqtt URL: every judgement to the broker as well
};

// The characters as a terminal can show them: a control byte from the line is shown as '?', so that it
// cannot move the cursor or change the terminal's settings.
std::string Printable(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return std::iscntrl(static_cast<unsigned char>(c)) != 0; },
        '?');
    return text;
}

// A judgement as one line of JSON; the characters as they came (JSON escapes control bytes).
Json JudgementJson(const std::string& time, int count, const Judgement& judgement) {
    std::vector<int> best;
    std::vector<int> numerical;
    std::vector<int> alphabetic;
    for (const JudgedCharacter& character : judgement.characters) {
        best.push_back(character.bestDifference());
        numerical.push_back(character.numericalDifference);
        alphabetic.push_back(character.alphabeticDifference);
    }
    return {{"time", time},
            {"count", count},
            {"judgement", judgement.text()},
            {"characters", judgement.bestCharacters()},
            {"differences", best},
            {"numerical", judgement.numericalCharacters()},
            {"numerical_differences", numerical},
            {"alphabetic", judgement.alphabeticCharacters()},
            {"alphabetic_differences", alphabetic}};
}

// One line per judgement on stdout (one JSON object with --json): the PC time, judgement, count, best,
// numerical and alphabetic characters, separated by tabs. The limits and a stop signal set AbortRequest,
// which ends the loop after the poll.
class TerminalMonitorHost : public MonitorHost {
  public:
    TerminalMonitorHost(OperationState& state, const MonitorLimits& limits, MqttFeed* feed)
        : m_state(state), m_limits(limits), m_feed(feed), m_start(std::chrono::steady_clock::now()) {
        if (limits.trend) {
            m_trend.emplace(limits.baseline);
        }
    }

    void showJudgement(const Judgement& judgement) override { m_judgement = judgement; }

    void showCount(int count) override {
        const std::string time = IsoLocalTimeText(std::chrono::system_clock::now());
        if (JsonOutput()) {
            PrintJson(JudgementJson(time, count, m_judgement));
        } else {
            std::cout << time << '\t' << m_judgement.text() << '\t' << count << '\t'
                      << Printable(m_judgement.bestCharacters()) << '\t'
                      << Printable(m_judgement.numericalCharacters()) << '\t'
                      << Printable(m_judgement.alphabeticCharacters()) << '\n'
                      << std::flush;
        }
        if (m_feed != nullptr) {
            m_feed->judgement(count, m_judgement, time);
        }
        if (m_trend) {
            for (const TrendAlarm& alarm : m_trend->add(m_judgement, time)) {
                reportAlarm(alarm);
            }
        }
        ++m_judged;
        // Judgements nobody can read are not worth polling for; the end says why (exit 5).
        if ((m_limits.count > 0 && m_judged >= m_limits.count) || !StandardOutputWorks()) {
            m_state.AbortRequest = true;
        }
    }

    void pumpMessages() override {
        if (m_feed != nullptr) {
            m_feed->tick();
        }
        if (Interrupted()) {
            m_state.AbortRequest = true;
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - m_start;
        if (m_limits.seconds > 0 && elapsed.count() >= m_limits.seconds) {
            m_state.AbortRequest = true;
        }
    }

  private:
    // On stderr at once, also in a JSON run (the line must not wait for the monitor to stop), as an
    // object in the JSON Lines stream after the judgement that raised it, and to the broker.
    void reportAlarm(const TrendAlarm& alarm) {
        PrintNotice("torvctl: trend alarm at judgement " + std::to_string(alarm.judgement) + ": " +
                    PrintableAlarmText(alarm));
        if (JsonOutput()) {
            PrintJson(Json{{"alarm", TrendAlarmJson(alarm)}});
        }
        if (m_feed != nullptr) {
            m_feed->alarm(alarm);
        }
    }

    OperationState& m_state;
    MonitorLimits m_limits;
    MqttFeed* m_feed;  // none without --mqtt
    std::chrono::steady_clock::time_point m_start;
    Judgement m_judgement;
    int m_judged = 0;
    std::optional<MarginTrend> m_trend;
};

// The tool's message, then the facts behind it on a line of their own.
int FailWith(const OperationState& state, ExitCode code) {
    std::cerr << state.LastErrorText << '\n';
    if (!state.LastErrorDetail.empty()) {
        std::cerr << state.LastErrorDetail << '\n';
    }
    return code;
}

int FailWith(const OperationState& state) {
    return FailWith(state, ExitCodeOfFailure(state.LastErrorText));
}

int RunMonitor(const GlobalOptions& options, const MonitorLimits& limits) {
    std::optional<MqttSettings> mqtt;
    if (std::string why; !MqttSettingsOf(limits.mqtt, mqtt, why)) {
        std::cerr << "torvctl monitor: " << why << '\n';
        return kExitUsage;
    }
    LinkTarget target;
    if (!ResolveLinkTarget(options, target)) {
        return kExitUsage;
    }
    OperationState state;
    state.ComPortNumber = target.port;
    state.BaudIndex = target.baudIndex;
    ResultMonitor monitor(state);
    const bool csv = limits.csvName.has_value();
    if (csv && !monitor.acceptCsvName(CommandBaseName(*limits.csvName, kCsvFile))) {
        return FailWith(state);
    }
    if (monitor.openLink() != kLinkOpened) {
        return FailWith(state);
    }
    if (csv && !monitor.createCsv(
                   CommandBaseName(*limits.csvName, kCsvFile),
                   limits.append ? ResultMonitor::CsvStart::kContinue : ResultMonitor::CsvStart::kNew)) {
        return FailWith(state);
    }
    // Publishing starts with the judgements: a sensor that cannot be monitored is never "online".
    std::optional<MqttFeed> feed;
    if (mqtt) {
        feed.emplace(*mqtt, limits.mqtt.name.empty() ? TopicSafeName(options.port) : limits.mqtt.name,
                     csv ? CommandFileLabel(*limits.csvName, kCsvFile) : std::string());
        if (std::string failure; !feed->start(failure)) {
            monitor.close();
            std::cerr << "torvctl: MQTT: " << failure << '\n';
            return kExitFile;
        }
    }
    TerminalMonitorHost host(state, limits, feed ? &*feed : nullptr);
    const MonitorEnd end = RunMonitorLoop(monitor, state, host);
    // A stop signal that cut the last exchange short is a stop, not a failure of the sensor.
    host.pumpMessages();
    const bool failed =
        end == MonitorEnd::kFailed ? !state.AbortRequest : !Interrupted() && !monitor.confirmInStep();
    // A log that could not be written is a file's failure; its message is the file and the reason.
    const ExitCode code =
        monitor.csv().failureText().empty() ? ExitCodeOfFailure(state.LastErrorText) : kExitFile;
    monitor.close();
    if (feed) {
        feed->finish();
    }
    if (failed) {
        return FailWith(state, code);
    }
    // Ctrl-C is the monitor's ordinary way to stop; SIGTERM and SIGHUP end it as they end any command.
    return Interrupted() && InterruptSignal() != SIGINT ? kExitAborted : kExitOk;
}

// The key codes of the names given, in order; a name that is no key is a usage error.
std::optional<std::vector<KeyCode>> KeyCodesOf(std::vector<std::string> names) {
    std::vector<KeyCode> codes;
    for (std::string& name : names) {
        name = UpperCase(name);
        const std::optional<KeyCode> code = KeyCodeOfName(name);
        if (!code) {
            std::cerr << "torvctl key: " << name
                      << " is not a key (SET, EXIT, VIEW, VIEW+UP, VIEW+DOWN, UP, DOWN)\n";
            return std::nullopt;
        }
        codes.push_back(*code);
    }
    return codes;
}

// Presses the keys one after the other; the first that the sensor does not acknowledge ends the run,
// since the keys after it would act on a panel in a state nobody knows.
int RunKey(const GlobalOptions& options, const std::vector<std::string>& names) {
    const std::optional<std::vector<KeyCode>> codes = KeyCodesOf(names);
    if (!codes) {
        return kExitUsage;
    }
    LinkTarget target;
    if (!ResolveLinkTarget(options, target)) {
        return kExitUsage;
    }
    OperationState state;
    state.BaudIndex = target.baudIndex;
    if (const int opened = OpenLink(target.port, target.baudIndex); opened != kLinkOpened) {
        state.LastErrorText =
            Text(opened == kLinkOpenFailed ? StringId::kOpenPortFailed : StringId::kBaudRateInvalid);
        state.LastErrorDetail = OpenFailureDetail(target.port, target.baudIndex, opened);
        return FailWith(state);
    }
    for (std::size_t k = 0; k < codes->size(); ++k) {
        if (!SendKey(state, target.port, (*codes)[k])) {
            CloseLink(target.port);
            if (codes->size() > 1) {
                state.LastErrorDetail += "\nKey " + std::to_string(k + 1) + " of " +
                                         std::to_string(codes->size()) +
                                         " failed; the keys after it were not pressed.";
            }
            return FailWith(state);
        }
    }
    // Bytes after the last acknowledgement: one of the keys took an earlier key's late reply for its own.
    const int stray = ExpectNothingMore(target.port, target.baudIndex, state.LastErrorText);
    CloseLink(target.port);
    if (stray > 0) {
        state.LastErrorDetail = LateReplyDetail(target.port, target.baudIndex, stray);
        return FailWith(state);
    }
    return kExitOk;
}

// A limit of zero or less would stop before the first judgement; without the option there is none.
CLI::Validator MoreThanZero(const std::string& what, const std::string& range) {
    return CLI::Validator(
        [what, range](std::string& text) {
            double value = 0;
            if (CLI::detail::lexical_cast(text, value) && value > 0) {
                return std::string();
            }
            return text + " is not " + what + ": give " + range + " (leave the option out for no limit)";
        },
        "");
}

}  // namespace

void AddMonitorCommand(CLI::App& app, CliContext& context) {
    auto limits = std::make_shared<MonitorLimits>();
    CLI::App* monitor = app.add_subcommand(
        "monitor",
        "Watch the sensor's judgements: one line each (PC time, judgement, count, best, numerical and "
        "alphabetic characters) until Ctrl-C or a limit");
    auto* csv = monitor->add_option(
        "--csv", limits->csvName,
        "Log every judgement to NAME.csv (an earlier NAME.csv is first moved aside to NAME-0001.csv)");
    monitor->add_flag("--append", limits->append, "Add to the judgements NAME.csv holds instead")->needs(csv);
    monitor->add_option("--count", limits->count, "Stop after K judgements")
        ->check(MoreThanZero("a number of judgements", "1 or more"));
    monitor->add_option("--seconds", limits->seconds, "Stop after S seconds")
        ->check(MoreThanZero("a time", "seconds above 0, e.g. 0.5 or 60"));
    AddTrendOptions(
        *monitor, limits->trend, limits->baseline,
        "Follow each position's recognition margin and say on stderr when one drifts (see `torvctl trend`)");
    AddMqttOptions(*monitor, limits->mqtt);
    monitor->callback([&context, limits] {
        context.run = [&context, limits] { return RunMonitor(context.options, *limits); };
    });
}

void AddKeyCommand(CLI::App& app, CliContext& context) {
    auto names = std::make_shared<std::vector<std::string>>();
    CLI::App* key = app.add_subcommand("key", "Press the sensor's front-panel keys, one after the other");
    key->add_option("KEY", *names, "SET, EXIT, VIEW, VIEW+UP, VIEW+DOWN, UP or DOWN; several in order")
        ->required();
    key->callback(
        [&context, names] { context.run = [&context, names] { return RunKey(context.options, *names); }; });
}

}  // namespace torv::cli
