#include "monitor/judgement_tally.h"

#include <algorithm>

namespace torv {
namespace {

constexpr double kSecondsPerHour = 3600.0;

}  // namespace

void JudgementTally::add(const Judgement& judgement) {
    switch (judgement.code) {
        case kJudgedOk:
            ++ok;
            break;
        case kJudgedNg:
            ++ng;
            break;
        default:
            ++none;
            break;
    }
}

double JudgementTally::yieldPercent() const {
    const int judged = ok + ng;
    return judged == 0 ? 100.0 : 100.0 * ok / judged;
}

double JudgementTally::ngPerHour(double seconds) const {
    return seconds < 1.0 ? 0.0 : ng * kSecondsPerHour / seconds;
}

int WorstDifference(const Judgement& judgement) {
    int worst = 0;
    for (const JudgedCharacter& character : judgement.characters) {
        worst = std::max(worst, character.bestDifference());
    }
    return worst;
}

}  // namespace torv
