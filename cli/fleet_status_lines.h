#pragma once
// What `fleet monitor` shows: one status line per sensor, redrawn in place on a terminal, the events
// that go above them (or alone, one a line, off a terminal), and the summary at the end.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "cli/fleet_file.h"
#include "cli/fleet_monitor.h"

namespace torv::cli {

enum class SensorLink {
    kOpening,   // before the first poll
    kPolling,   // the last poll was answered
    kRetrying,  // silent: the next try is at retryAt
    kStopped,   // its CSV could not be written, or its replies were out of step: it ended early
    kEnded,     // ran to the end
};

struct SensorStatus {
    SensorTotals totals;
    std::string last;  // "OK", "NG" or "--"; empty before the first judgement
    SensorLink link = SensorLink::kOpening;
    std::chrono::steady_clock::time_point retryAt;
    std::string reason;  // why it is silent or why it stopped
};

// "line-2  judged    567  NG     3   99.5%  last NG  alarms 1  retrying in 4 s: No communication
// response." (the alarms only with the trend); the state comes last, where a narrow terminal cuts the
// line. `nameWidth` pads the name.
std::string StatusLine(const std::string& name, std::size_t nameWidth, const SensorStatus& status, bool trend,
                       std::chrono::steady_clock::time_point now);

// "16 sensors: judged 123456  NG 120  yield 99.9%; 15 polling, 1 retrying; 12 of 60 s", with
// "; N more not shown" when the screen holds only some of the sensors' lines.
std::string TotalStatusLine(const std::vector<SensorStatus>& statuses, double seconds, double limitSeconds,
                            std::size_t notShown);

// The lines a screen of `rows` rows shows: every sensor's and the total when they fit; otherwise the
// sensors that need looking at first (silent, stopped, opening, then those with alarms), as many as fit
// above the total. Indexes into `statuses`, in fleet order.
std::vector<std::size_t> SensorsShown(const std::vector<SensorStatus>& statuses, int rows);

// Summary, one line per sensor: "line-2  judged 567  OK 550  NG 15  -- 2  yield 97.3%  alarms 1
// gaps 1 (17.0 s silent)", and "  stopped: REASON" for one that ended early; columns aligned.
std::vector<std::string> SummaryLines(const std::vector<FleetSensor>& sensors,
                                      const std::vector<SensorStatus>& statuses, bool trend);
// "3 sensors, 61.0 s: 2 answered throughout, 1 with gaps" (", 1 stopped" when one was).
std::string SummaryTotalLine(const std::vector<SensorStatus>& statuses, double seconds);

// Whether the sensor answered every poll from its start to the end.
inline bool AnsweredThroughout(const SensorStatus& status) {
    return status.totals.gaps == 0 && status.link != SensorLink::kStopped;
}

struct TerminalSize {
    int columns = 80;
    int rows = 24;
};
// The size of the terminal stderr shows, 80 x 24 when it says none.
TerminalSize StandardErrorTerminalSize();

// The status lines on stderr, redrawn in place: the cursor goes back to the first line and everything
// below is drawn again. A terminal without escapes (TERM=dumb) is given one line, redrawn after a
// carriage return and padded over the last one. Events are printed above, where they stay.
class StatusBoard {
  public:
    explicit StatusBoard(bool escapes) : m_escapes(escapes) {}
    bool escapes() const { return m_escapes; }
    // Lines wider than the terminal are cut at its last column, so that none wraps and the count of
    // lines to go back stays true.
    void draw(const std::vector<std::string>& events, const std::vector<std::string>& lines, int columns);
    // Leaves the lines on screen; what follows starts below them.
    void finish();

  private:
    bool m_escapes;
    std::size_t m_drawnLines = 0;
    std::size_t m_drawnWidth = 0;  // without escapes: the width of the one line drawn
};

}  // namespace torv::cli
