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
    // What a hostile line or a wrong sensor sends. The command takes effect in each case.
    kGarbage,    // noise bytes, then the normal reply
    kWrongRate,  // the reply as a receiver sees a sensor sending at half the tool's rate
    kEndless,    // the reply that never ends: a byte every 900 ms until the tool sends again
    // Values outside their range, put into the one reply that carries them (others are left alone).
    kNgCount255,       // a result record (block 251) announcing 255 characters
    kSlotPointer200,   // word 9 holding slot pointer 200
    kDictLength65535,  // word 12, the dictionary length, holding 65535
    kTrailerCount255,  // a judgement with characters announcing 255 of them
};

enum class FaultParseResult {
    kOk,
    kMissingEquals,
    kBadExchange,
    kUnknownKind,
};

// The name used on the command line and in the log ("silence", "nak", ...); "none" for kNone.
std::string_view FaultKindName(FaultKind kind);
// Whether the fault changes a value inside a reply rather than the shape of the reply: it then applies
// only to an exchange whose reply carries that value.
bool IsValueFault(FaultKind kind);

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
