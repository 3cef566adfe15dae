#include "engine/clock_operation.h"

#include "link/frames.h"

namespace torv {
namespace {

// Progress runs over 24 steps: 8 word writes, then 16 registers.
constexpr int kClockProgressSteps = 24;
constexpr std::uint8_t kClearedByte = 0xFF;

std::uint8_t Bcd(int value) {
    return static_cast<std::uint8_t>(((value / 10) << 4) | (value % 10));
}

int StepPosition(int step) {
    return step * kProgressMax / kClockProgressSteps;
}

}  // namespace

std::array<std::uint8_t, kCalendarRegisterCount> CalendarRegisters(const std::tm& local) {
    std::array<std::uint8_t, kCalendarRegisterCount> registers{};
    registers[2] = Bcd(local.tm_sec % 60);  // a leap second shows as :00
    registers[3] = Bcd(local.tm_min);
    registers[4] = Bcd(local.tm_hour);
    registers[5] = Bcd(local.tm_mday);
    registers[7] = Bcd(local.tm_mon + 1);
    registers[8] = Bcd(local.tm_year % 100);
    return registers;
}

void SetClockOperation(OperationRun& run) {
    run.setStatus(StringId::kSettingClock);
    // Reading word 896 places the sensor's write position there; its value is not used.
    if (!run.readWord(kCalendarFirstWord)) {
        return;
    }
    for (int i = 0; i < kCalendarWordCount; ++i) {
        run.setProgress(StepPosition(i + 1));
        if (!run.exchange(kWriteWordCommand, kClearedByte, kClearedByte)) {
            return;
        }
    }
    const auto registers = CalendarRegisters(run.localTime());
    for (int i = 0; i < kCalendarRegisterCount; ++i) {
        run.setProgress(StepPosition(i + kCalendarWordCount + 1));
        if (!run.exchange(kCalendarCommand, static_cast<std::uint8_t>(i),
                          registers[static_cast<std::size_t>(i)])) {
            return;
        }
    }
    run.setProgress(kProgressMax);
}

}  // namespace torv
