#include "cli/nearest_word.h"

#include <algorithm>

#include "cli/text_shaping.h"

namespace torv::cli {

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::optional<std::string> NearestWord(std::string_view typed, const std::vector<std::string>& candidates) {
    constexpr std::size_t kMaxSuggestedEdits = 2;
    const std::string upper = UpperCase(typed);
    std::optional<std::string> nearest;
    std::size_t best = kMaxSuggestedEdits + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(upper, UpperCase(candidate));
        if (distance > 0 && distance < best) {
            best = distance;
            nearest = candidate;
        }
    }
    return nearest;
}

}  // namespace torv::cli
