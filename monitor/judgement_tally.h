#pragma once
// What a run of the monitor has judged so far: how many OK, NG and "--" (no judgement), the yield
// (OK of the judged ones, "--" left out) and the NG rate per hour of the run.

#include "monitor/judgement.h"

namespace torv {

struct JudgementTally {
    int ok = 0;
    int ng = 0;
    int none = 0;

    void add(const Judgement& judgement);
    // Per cent OK of OK and NG; 100 before the first of them.
    double yieldPercent() const;
    // NG per hour over `seconds` of the run; 0 before the run has lasted a second.
    double ngPerHour(double seconds) const;
};

// The worst match of a judgement: the largest best difference of its characters; 0 with none.
int WorstDifference(const Judgement& judgement);

}  // namespace torv
