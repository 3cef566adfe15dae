#pragma once
// The figures the benchmarks report of repeated measurements.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace torv::bench {

// The value `fraction` of the way up the sorted values (0.5: the median); 0 without values.
inline double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    return values[at];
}

inline double Median(std::vector<double> values) {
    return Percentile(std::move(values), 0.5);
}

}  // namespace torv::bench
