#include "sim/fault_plan.h"

#include <charconv>

namespace torv::sim {
namespace {

struct KindName {
    FaultKind kind;
    std::string_view name;
};

constexpr KindName kKindNames[] = {
    {FaultKind::kNone, "none"},
    {FaultKind::kSilence, "silence"},
    {FaultKind::kNak, "nak"},
    {FaultKind::kChecksum, "checksum"},
    {FaultKind::kTruncate, "truncate"},
    {FaultKind::kDelay, "delay"},
    {FaultKind::kHangup, "hangup"},
    {FaultKind::kGarbage, "garbage"},
    {FaultKind::kWrongRate, "wrong-rate"},
    {FaultKind::kEndless, "endless"},
    {FaultKind::kNgCount255, "ng-count-255"},
    {FaultKind::kSlotPointer200, "slot-pointer-200"},
    {FaultKind::kDictLength65535, "dict-length-65535"},
    {FaultKind::kTrailerCount255, "trailer-count-255"},
};

bool ParseExchange(std::string_view text, int& exchange) {
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), exchange);
    return error == std::errc() && end == text.data() + text.size() && exchange >= 1;
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
    for (const KindName& k : kKindNames) {
        if (k.kind == kind) {
            return k.name;
        }
    }
    return "none";
}

bool IsValueFault(FaultKind kind) {
    return kind == FaultKind::kNgCount255 || kind == FaultKind::kSlotPointer200 ||
           kind == FaultKind::kDictLength65535 || kind == FaultKind::kTrailerCount255;
}

FaultParseResult FaultPlan::add(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return FaultParseResult::kMissingEquals;
    }
    std::string_view number = text.substr(0, equals);
    const bool onwards = !number.empty() && number.back() == '+';
    if (onwards) {
        number.remove_suffix(1);
    }
    Entry entry{0, onwards, FaultKind::kNone};
    if (!ParseExchange(number, entry.exchange)) {
        return FaultParseResult::kBadExchange;
    }
    const std::string_view name = text.substr(equals + 1);
    for (const KindName& k : kKindNames) {
        if (k.name == name && k.kind != FaultKind::kNone) {
            entry.kind = k.kind;
        }
    }
    if (entry.kind == FaultKind::kNone) {
        return FaultParseResult::kUnknownKind;
    }
    m_entries.push_back(entry);
    return FaultParseResult::kOk;
}

FaultKind FaultPlan::lookup(int exchange) const {
    FaultKind exact = FaultKind::kNone;
    FaultKind onwards = FaultKind::kNone;
    int onwardsFrom = 0;
    for (const Entry& e : m_entries) {
        if (!e.onwards && e.exchange == exchange) {
            exact = e.kind;
        } else if (e.onwards && e.exchange <= exchange && e.exchange >= onwardsFrom) {
            onwards = e.kind;
            onwardsFrom = e.exchange;
        }
    }
    return exact != FaultKind::kNone ? exact : onwards;
}

}  // namespace torv::sim
