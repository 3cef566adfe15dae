#include "params/parameter_set.h"

namespace torv {
namespace {

// The factory settings: bank "BKIN", common words carrying the fixed bits, every bank alike.
constexpr CommonWords kInitialCommon = {2065, 0, 0, 0, 4128, 20, 2, 0, 0, 0, 0, 0};
constexpr BankWords kInitialBank = {35, 3910, 37949, 16,  1, 65281, 40, 62258, 33918, 2,
                                    5,  3840, 999,   999, 0, 0,     0,  0,     30,    30};

}  // namespace

ParameterSet InitialParameterSet() {
    ParameterSet set;
    set.version = kDefaultParameterVersion;
    set.common = kInitialCommon;
    set.bank.fill(kInitialBank);
    return set;
}

}  // namespace torv
