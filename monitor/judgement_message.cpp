#include "monitor/judgement_message.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <vector>

namespace torv {
namespace {

using Json = nlohmann::ordered_json;  // fields in the documented order

double TwoDecimals(double value) {
    return std::round(value * 100) / 100;
}

std::string Text(const Json& payload) {
    return payload.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string JudgementMessage(std::string_view sensor, int count, const Judgement& judgement,
                             std::string_view time) {
    std::vector<int> differences;
    for (const JudgedCharacter& character : judgement.characters) {
        differences.push_back(character.bestDifference());
    }
    return Text(Json{{"sensor", sensor},
                     {"count", count},
                     {"judgement", judgement.text()},
                     {"characters", judgement.bestCharacters()},
                     {"numerical", judgement.numericalCharacters()},
                     {"alphabetic", judgement.alphabeticCharacters()},
                     {"differences", differences},
                     {"time", time}});
}

std::string AlarmMessage(std::string_view sensor, const TrendAlarm& alarm, std::string_view time) {
    return Text(Json{{"sensor", sensor},
                     {"judgement", alarm.judgement},
                     {"position", alarm.position},
                     {"character", std::string(1, alarm.character)},
                     {"rule", RuleName(alarm.rule)},
                     {"time", time},
                     {"baseline", TwoDecimals(alarm.baseline)},
                     {"level", TwoDecimals(alarm.level)},
                     {"sigmas", TwoDecimals(alarm.shiftSigmas())}});
}

std::string StatsMessage(std::string_view sensor, const JudgementTally& tally, double seconds,
                         std::uint64_t dropped, std::string_view time) {
    return Text(Json{{"sensor", sensor},
                     {"judgements", tally.ok + tally.ng + tally.none},
                     {"ok", tally.ok},
                     {"ng", tally.ng},
                     {"none", tally.none},
                     {"yield", TwoDecimals(tally.yieldPercent())},
                     {"ng_per_hour", TwoDecimals(tally.ngPerHour(seconds))},
                     {"dropped", dropped},
                     {"time", time}});
}

}  // namespace torv
