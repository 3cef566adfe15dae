#pragma once
// The simulated sensor's memory model: the persistent state (word memory, calendar, version, key log,
// line rate), the `R`/`W` write position, and the generated data that the sensor reports (recognized
// characters, the NG ring, the judgement stream). No I/O and no clock of its own.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/front_panel.h"
#include "sim/glyphs.h"
#include "sim/judgement_stream.h"
#include "sim/ng_ring.h"
#include "sim/recognized_line.h"
#include "sim/sensor_state.h"

namespace torv::sim {

class SensorModel {
  public:
    // A freshly started sensor: seeded words and generated data, at `rate`, reporting `version`, with
    // judgements at the pace and in the mix of `judgements`.
    SensorModel(std::uint64_t seed, int rate, std::string version, JudgementSettings judgements = {});
    // The NG ring refers to the word memory: a model is never copied.
    SensorModel(const SensorModel&) = delete;
    SensorModel& operator=(const SensorModel&) = delete;

    const SensorState& state() const { return m_state; }
    // Takes over a saved state (a restarted sensor); the word memory always spans the whole space.
    void restore(SensorState state);
    // The line rate the sensor now works at.
    void setRate(int rate) { m_state.rate = rate; }

    // `R`: the word at an address; the write position moves there.
    std::uint16_t readWord(std::uint16_t address);
    // `W`: writes at the write position and advances it, wrapping at 65536.
    void writeWord(std::uint16_t value);
    std::uint16_t writePosition() const { return m_writePosition; }

    // `S 0,7` and `S 1,7`: two characters each of the software version.
    std::array<std::uint8_t, 2> versionPair(int selector) const;
    // `S 6,0`: the line's newest reading becomes the one handed over; its count.
    int handOverRecognized() { return m_recognized.handOver(); }
    // `S 8c+j,1`: bytes 2j and 2j + 1 of recognized character c's pattern; zeros past the last.
    std::array<std::uint8_t, 2> patternPair(int character, int pair) const {
        return m_recognized.patternPair(character, pair);
    }
    // What the line reads, for choosing its pace or a fixed text.
    RecognizedLine& recognizedLine() { return m_recognized; }

    // `T`: registers above 15 are ignored.
    void setCalendar(int reg, std::uint8_t value);
    // `P`: logs the key and moves the front panel.
    void pressKey(std::uint8_t code);
    const FrontPanel& panel() const { return m_panel; }
    // The panel as it stands after `code`, in words.
    std::string describePanel(std::uint8_t code) const { return DescribePanel(m_panel, m_state.words, code); }

    // `V`: a block of an occupied slot; empty slots and slots outside 0..29 read as zeros.
    SlotBlock ngBlock(int slot, int block) const;
    // `Y`: the latest judgement. An NG judgement stores a new NG inspection in the ring, and reports
    // the characters that inspection read.
    Judgement pollJudgement(SimTime now);

    // The stored NG inspections, for whatever stores a new one.
    NgRing& ngRing() { return m_ring; }
    const NgRing& ngRing() const { return m_ring; }
    // The simulated line stores a new NG inspection every `interval` (zero: never), counted from the
    // first time the model is told the time.
    void setNgInterval(SimTime interval) { m_ngInterval = interval; }
    // Tells the model the time: the products read and the NG inspections due by `now` are stored.
    void advanceTo(SimTime now);

    // `U`: the rate that word 4 names (k = 0 keeps the present one).
    int rateAfterStore() const;
    // Words the sensor sets to values of its own whenever it stores, as a sensor does that corrects a
    // setting it will not keep (`--after-store`).
    void setStoreCorrections(std::map<std::uint16_t, std::uint16_t> corrections) {
        m_storeCorrections = std::move(corrections);
    }
    // `U`: applies the corrections.
    void store();

  private:
    SensorState m_state;
    std::uint16_t m_writePosition = 0;
    RecognizedLine m_recognized;
    NgRing m_ring;
    JudgementStream m_judgements;
    SimTime m_ngInterval{};
    bool m_clockStarted = false;
    SimTime m_nextNg{};
    FrontPanel m_panel;
    std::map<std::uint16_t, std::uint16_t> m_storeCorrections;
};

}  // namespace torv::sim
