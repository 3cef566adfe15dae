#include "cli/fleet_status_lines.h"
#include "cli/text_shaping.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace torv::cli {
namespace {

using SteadyClock = std::chrono::steady_clock;

template <typename... Values>
std::string Formatted(const char* format, Values... values) {
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), format, values...);
    return text.data();
}

std::string RightAligned(const std::string& text, std::size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// "1 sensor", "16 sensors"
std::string SensorCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " sensor" : " sensors");
}

std::string YieldText(const JudgementTally& tally) {
    return Formatted("%.1f%%", tally.yieldPercent());
}

std::string LinkText(const SensorStatus& status, SteadyClock::time_point now) {
    switch (status.link) {
        case SensorLink::kOpening:
            return "opening the port";
        case SensorLink::kPolling:
            return "polling";
        case SensorLink::kRetrying: {
            const double wait = std::chrono::duration<double>(status.retryAt - now).count();
            const long seconds = std::lround(std::ceil(std::max(0.0, wait)));
            return (seconds == 0 ? std::string("retrying now")
                                 : "retrying in " + std::to_string(seconds) + " s") +
                   ": " + status.reason;
        }
        case SensorLink::kStopped:
            return "stopped: " + status.reason;
        case SensorLink::kEnded:
            break;
    }
    return "ended";
}

// The order in which sensors claim the few lines of a small screen: those that need a look first.
int Urgency(const SensorStatus& status) {
    switch (status.link) {
        case SensorLink::kRetrying:
        case SensorLink::kStopped:
            return 0;
        case SensorLink::kOpening:
            return 1;
        default:
            return status.totals.alarms > 0 ? 2 : 3;
    }
}

// The bytes of `line` that fit before the terminal's last column; a character of several bytes is
// never cut in two.
std::string Cut(const std::string& line, int columns) {
    const std::size_t width = static_cast<std::size_t>(std::max(1, columns - 1));
    std::size_t bytes = 0;
    std::size_t shown = 0;
    while (bytes < line.size() && shown < width) {
        ++bytes;
        while (bytes < line.size() && (static_cast<unsigned char>(line[bytes]) & 0xC0) == 0x80) {
            ++bytes;
        }
        ++shown;
    }
    return line.substr(0, bytes);
}

}  // namespace

std::string StatusLine(const std::string& name, std::size_t nameWidth, const SensorStatus& status, bool trend,
                       SteadyClock::time_point now) {
    const SensorTotals& totals = status.totals;
    std::string line = Padded(name, nameWidth) + Formatted("  judged %6lld  NG %5d  %5.1f%%  last %-2s",
                                                           totals.judgements, totals.tally.ng,
                                                           totals.tally.yieldPercent(), status.last.c_str());
    if (trend) {
        line += Formatted("  alarms %d", totals.alarms);
    }
    return line + "  " + LinkText(status, now);
}

std::string TotalStatusLine(const std::vector<SensorStatus>& statuses, double seconds, double limitSeconds,
                            std::size_t notShown) {
    long long judgements = 0;
    JudgementTally tally;
    std::array<int, 5> links{};
    for (const SensorStatus& status : statuses) {
        judgements += status.totals.judgements;
        tally.ok += status.totals.tally.ok;
        tally.ng += status.totals.tally.ng;
        ++links[static_cast<std::size_t>(status.link)];
    }
    std::string line = SensorCount(statuses.size()) + ": judged " + std::to_string(judgements) + "  NG " +
                       std::to_string(tally.ng) + "  yield " + YieldText(tally) + "; ";
    const std::array<const char*, 5> words{"opening", "polling", "retrying", "stopped", "ended"};
    bool first = true;
    for (std::size_t i = 0; i < links.size(); ++i) {
        if (links[i] > 0) {
            line += (first ? "" : ", ") + std::to_string(links[i]) + " " + words[i];
            first = false;
        }
    }
    line += limitSeconds > 0 ? Formatted("; %.0f of %g s", std::floor(seconds), limitSeconds)
                             : Formatted("; %.0f s", std::floor(seconds));
    if (notShown > 0) {
        line += "; " + std::to_string(notShown) + " more not shown";
    }
    return line;
}

std::vector<std::size_t> SensorsShown(const std::vector<SensorStatus>& statuses, int rows) {
    std::vector<std::size_t> shown(statuses.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        shown[i] = i;
    }
    // One row stays free for the cursor, one holds the total.
    const std::size_t room = static_cast<std::size_t>(std::max(0, rows - 2));
    if (shown.size() <= room) {
        return shown;
    }
    std::stable_sort(shown.begin(), shown.end(), [&statuses](std::size_t a, std::size_t b) {
        return Urgency(statuses[a]) < Urgency(statuses[b]);
    });
    shown.resize(room);
    std::sort(shown.begin(), shown.end());
    return shown;
}

std::vector<std::string> SummaryLines(const std::vector<FleetSensor>& sensors,
                                      const std::vector<SensorStatus>& statuses, bool trend) {
    // The columns: name, then each label's number, as wide as its widest.
    std::vector<std::vector<std::string>> cells;
    std::vector<std::size_t> widths(8, 0);
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        const SensorTotals& totals = statuses[i].totals;
        cells.push_back({sensors[i].name, std::to_string(totals.judgements), std::to_string(totals.tally.ok),
                         std::to_string(totals.tally.ng), std::to_string(totals.tally.none),
                         YieldText(totals.tally), std::to_string(totals.alarms),
                         std::to_string(totals.gaps)});
        for (std::size_t k = 0; k < widths.size(); ++k) {
            widths[k] = std::max(widths[k], cells.back()[k].size());
        }
    }
    const std::array<const char*, 7> labels{"judged", "OK", "NG", "--", "yield", "alarms", "gaps"};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < sensors.size(); ++i) {
        std::string line = Padded(cells[i][0], widths[0]);
        for (std::size_t k = 1; k < widths.size(); ++k) {
            if (k == 6 && !trend) {
                continue;
            }
            line += std::string("  ") + labels[k - 1] + " " + RightAligned(cells[i][k], widths[k]);
        }
        if (statuses[i].totals.gaps > 0) {
            line += Formatted(" (%.1f s silent)", statuses[i].totals.silentSeconds);
        }
        if (statuses[i].link == SensorLink::kStopped) {
            line += "  stopped: " + statuses[i].reason;
        }
        lines.push_back(line);
    }
    return lines;
}

std::string SummaryTotalLine(const std::vector<SensorStatus>& statuses, double seconds) {
    int throughout = 0;
    int withGaps = 0;
    int stopped = 0;
    for (const SensorStatus& status : statuses) {
        throughout += AnsweredThroughout(status) ? 1 : 0;
        withGaps += status.totals.gaps > 0 ? 1 : 0;
        stopped += status.link == SensorLink::kStopped ? 1 : 0;
    }
    std::string line = SensorCount(statuses.size()) + ", " + Formatted("%.1f", seconds) +
                       " s: " + std::to_string(throughout) + " answered throughout, " +
                       std::to_string(withGaps) + " with gaps";
    if (stopped > 0) {
        line += ", " + std::to_string(stopped) + " stopped";
    }
    return line;
}

TerminalSize StandardErrorTerminalSize() {
    TerminalSize size;
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info) != 0) {
        size.columns = info.srWindow.Right - info.srWindow.Left + 1;
        size.rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    }
#else
    winsize window{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &window) == 0 && window.ws_col > 0 && window.ws_row > 0) {
        size.columns = window.ws_col;
        size.rows = window.ws_row;
    }
#endif
    return size;
}

// Through the C stream, beside std::cerr: a --json run holds back std::cerr's text, not the board.
void StatusBoard::draw(const std::vector<std::string>& events, const std::vector<std::string>& lines,
                       int columns) {
    std::string drawn;
    if (m_escapes) {
        if (m_drawnLines > 0) {
            drawn += "\r";
            if (m_drawnLines > 1) {
                drawn += "\x1b[" + std::to_string(m_drawnLines - 1) + "A";
            }
            drawn += "\x1b[J";
        }
        for (const std::string& event : events) {
            drawn += event + "\n";
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            drawn += (i > 0 ? "\n" : "") + Cut(lines[i], columns);
        }
        m_drawnLines = lines.size();
    } else {
        const std::string blank = "\r" + std::string(m_drawnWidth, ' ') + "\r";
        if (!events.empty() && m_drawnWidth > 0) {
            drawn += blank;
        }
        for (const std::string& event : events) {
            drawn += event + "\n";
        }
        const std::string line = lines.empty() ? std::string() : Cut(lines.front(), columns);
        drawn += "\r" + line;
        if (events.empty() && line.size() < m_drawnWidth) {
            drawn += std::string(m_drawnWidth - line.size(), ' ');
        }
        m_drawnWidth = line.size();
        m_drawnLines = 1;
    }
    std::cerr << std::flush;
    std::fputs(drawn.c_str(), stderr);
    std::fflush(stderr);
}

void StatusBoard::finish() {
    if (m_drawnLines > 0) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        m_drawnLines = 0;
        m_drawnWidth = 0;
    }
}

}  // namespace torv::cli
