#include "sim/sensor_model.h"

#include <utility>

#include "sim/parameter_seed.h"

namespace torv::sim {

SensorModel::SensorModel(std::uint64_t seed, int rate, std::string version, JudgementSettings judgements)
    : m_recognized(seed),
      m_ring(seed, m_state.words),
      m_judgements(seed, TextOf(m_recognized.newest()), judgements) {
    m_state.rate = rate;
    m_state.version = std::move(version);
    SeedParameterWords(m_state.words, seed, rate);
    SeedDictionary(m_state.words, seed);
}

void SensorModel::restore(SensorState state) {
    m_state = std::move(state);
    m_state.words.resize(kWordCount, 0);
}

std::uint16_t SensorModel::readWord(std::uint16_t address) {
    m_writePosition = address;
    return m_state.words[address];
}

void SensorModel::store() {
    for (const auto& [address, value] : m_storeCorrections) {
        m_state.words[address] = value;
    }
}

void SensorModel::writeWord(std::uint16_t value) {
    m_state.words[m_writePosition] = value;
    m_writePosition = static_cast<std::uint16_t>(m_writePosition + 1);
}

std::array<std::uint8_t, 2> SensorModel::versionPair(int selector) const {
    const std::size_t first = static_cast<std::size_t>(selector) * 2;
    if (selector < 0 || first + 1 >= m_state.version.size()) {
        return {0, 0};
    }
    return {static_cast<std::uint8_t>(m_state.version[first]),
            static_cast<std::uint8_t>(m_state.version[first + 1])};
}

void SensorModel::pressKey(std::uint8_t code) {
    m_state.keyLog.push_back(code);
    PressPanelKey(m_panel, m_state.words, code);
}

void SensorModel::setCalendar(int reg, std::uint8_t value) {
    if (reg >= 0 && reg < kCalendarRegisterCount) {
        m_state.calendar[reg] = value;
    }
}

SlotBlock SensorModel::ngBlock(int slot, int block) const {
    if (slot < 0 || slot >= kNgSlotCount) {
        return SlotBlock{};
    }
    // Occupancy as the sensor's words tell it, so `V` always agrees with what `R` 10 and 11 report.
    if ((m_ring.occupancyMask() & (1U << slot)) == 0) {
        return SlotBlock{};
    }
    return m_ring.block(slot, block);
}

Judgement SensorModel::pollJudgement(SimTime now) {
    Judgement judgement = m_judgements.poll(now);
    if ((judgement.status & kJudgementMask) == kJudgementNg) {
        NgInspection inspection = m_ring.nextInspection();
        judgement = NgJudgement(inspection);
        m_ring.storeInspection(std::move(inspection));
    }
    return judgement;
}

void SensorModel::advanceTo(SimTime now) {
    m_recognized.advanceTo(now);
    if (m_ngInterval <= SimTime::zero()) {
        return;
    }
    if (!m_clockStarted) {
        m_clockStarted = true;
        m_nextNg = now + m_ngInterval;
    }
    while (now >= m_nextNg) {
        m_ring.storeInspection(m_ring.nextInspection());
        m_nextNg += m_ngInterval;
    }
}

int SensorModel::rateAfterStore() const {
    const int k = (m_state.words[kCommunicWord] >> kCommunicShift) & kCommunicMask;
    return RateForCommunic(k, m_state.rate);
}

}  // namespace torv::sim
