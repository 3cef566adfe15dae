#pragma once
// Which exchanges the simulated sensor answers wrongly, and how: `--fault N=KIND` for exchange N alone,
// `--fault N+=KIND` for exchange N and every one after it.

#include <string_view>
#include <vector>

namespace torv::sim {

enum class FaultKind {
    kNone,
    kSilence,   // no reply, and the command has no effect
    kNak,       // the normal reply with 0x15 in place of 0x06
    kChecksum,  // the normal reply with a wrong last byte
    kTruncate,  // the ACK and half of the data bytes, no checksum
    kDelay,     // the normal reply, 1500 ms late
    kHangup,    // the line goes dead: the simulator closes the pty and exits
};

enum class FaultParseResult {
    kOk,
    kMissingEquals,
    kBadExchange,
    kUnknownKind,
};

// The name used on the command line and in the log ("silence", "nak", ...); "none" for kNone.
std::string_view FaultKindName(FaultKind kind);

class FaultPlan {
  public:
    FaultParseResult add(std::string_view text);

    // An exact `N=` entry wins; otherwise the `N+=` entry with the largest N not above the exchange.
    // When the same form is given twice for one N, the later one counts.
    FaultKind lookup(int exchange) const;

    bool empty() const { return m_entries.empty(); }

  private:
    struct Entry {
        int exchange;
        bool onwards;
        FaultKind kind;
    };
    std::vector<Entry> m_entries;
};

}  // namespace torv::sim
