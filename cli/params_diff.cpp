// `params diff`: what two parameter files would set differently in a sensor, printed as lines of text
// or as JSON (params/parameter_diff.h finds the differences).

#include "cli/params_diff.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "cli/params_commands.h"
#include "files/file_kind.h"
#include "params/parameter_diff.h"

namespace torv::cli {
namespace {

// "Bank 3: SHUTTER: 90 | 70", "Common: word 7: 12 -> 13"
std::string DifferenceLine(const ParameterDifference& d) {
    const std::string block = BlockName(d.scope, d.bank);
    return d.row != nullptr ? block + ": " + std::string(d.row->key) + ": " + d.first + " | " + d.second
                            : block + ": word " + std::to_string(d.word) + ": " +
                                  std::to_string(d.firstWord) + " -> " + std::to_string(d.secondWord);
}

Json DifferenceJson(const ParameterDifference& d) {
    const bool value = d.row != nullptr;
    return {{"block", BlockName(d.scope, d.bank)},
            {"bank", d.scope == ParameterScope::kCommon ? Json(nullptr) : Json(d.bank)},
            {"key", value ? Json(std::string(d.row->key)) : Json(nullptr)},
            {"word", value ? Json(nullptr) : Json(d.word)},
            {"old", value ? Json(d.first) : Json(d.firstWord)},
            {"new", value ? Json(d.second) : Json(d.secondWord)}};
}

}  // namespace

int RunParamsDiff(const std::string& name, const std::string& otherName, bool valuesOnly) {
    const auto a = LoadParametersOrSay(name);
    const auto b = a ? LoadParametersOrSay(otherName) : std::nullopt;
    if (!a || !b) {
        return kExitFile;
    }
    const std::vector<ParameterDifference> differences = DiffParameterSets(*a, *b, ShownValue, valuesOnly);
    const std::string first = CommandFileLabel(name, kParameterFile);
    const std::string second = CommandFileLabel(otherName, kParameterFile);
    if (JsonOutput()) {
        Json list = Json::array();
        for (const ParameterDifference& d : differences) {
            list.push_back(DifferenceJson(d));
        }
        PrintJson(Json{{"first", first}, {"second", second}, {"differences", std::move(list)}});
    } else if (!differences.empty()) {
        std::cout << "--- " << first << '\n' << "+++ " << second << '\n';
        for (const ParameterDifference& d : differences) {
            std::cout << DifferenceLine(d) << '\n';
        }
    }
    return differences.empty() ? kExitOk : kExitDiffers;
}

}  // namespace torv::cli
