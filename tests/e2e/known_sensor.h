#pragma once
// What torvsim holds for a seed (its NG ring and the characters in it), to compare what the tool read
// with; and the ring words that make a slot the newest NG.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/dictionary_file.h"
#include "ngdata/ng_image.h"
#include "ngdata/ng_record.h"
#include "ngdata/ng_slots.h"
#include "ngdata/ng_text.h"
#include "sim/recognized_line.h"
#include "sim/sensor_model.h"

namespace torv::test {

constexpr std::uint32_t kAllSlots = 0x3FFFFFFF;

// Words 9..11: the slot pointer (the slot after the newest NG) and the occupancy mask.
inline std::vector<std::pair<int, int>> RingWords(int pointer, std::uint32_t mask = kAllSlots) {
    return {{9, pointer}, {10, static_cast<int>(mask & 0xFFFF)}, {11, static_cast<int>(mask >> 16)}};
}

// The sensor's slots as its seed makes them, to compare the files with.
class KnownSensor {
  public:
    explicit KnownSensor(std::uint64_t seed) : m_seed(seed), m_model(seed, sim::kDefaultRate, "0105") {}

    std::vector<std::uint8_t> blocks(int slot, int first, int count) const {
        std::vector<std::uint8_t> bytes;
        for (int b = first; b < first + count; ++b) {
            const sim::SlotBlock block = m_model.ngRing().block(slot, b);
            bytes.insert(bytes.end(), block.begin(), block.end());
        }
        return bytes;
    }
    int characters(int slot) const {
        return static_cast<int>(m_model.ngRing().inspection(slot).characters.size());
    }

    // Blocks `first`.. of the slot as the type that holds them; zeros for a slot not marked occupied.
    template <typename Bytes>
    Bytes copied(int slot, int first, int count, bool occupied = true) const {
        Bytes bytes{};
        if (occupied) {
            const auto read = blocks(slot, first, count);
            std::copy(read.begin(), read.end(), bytes.begin());
        }
        return bytes;
    }
    std::string bitmap(int slot) const {
        const auto bytes = NgBitmapBytes(copied<NgImageLines>(slot, 0, 2 * kImageLineCount));
        return {bytes.begin(), bytes.end()};
    }
    NgResultRecord record(int slot, bool occupied = true) const {
        return DecodeResultRecord(
            copied<ResultRecordBytes>(slot, kFirstRecordBlock, kRecordBlockCount, occupied));
    }
    NgPatternBlocks patterns(int slot, bool occupied = true) const {
        return copied<NgPatternBlocks>(slot, kFirstPatternBlock, kPatternBlockCount, occupied);
    }
    std::string dataFile(int slot) const { return NgDataFileText(record(slot), patterns(slot)); }

    // The blocks the NG character read appends for the slot's first `count` characters, and the
    // recognized character read for the first `count` characters when the line reads `text`.
    std::string characterBlocks(int slot, std::size_t count = std::string::npos) const {
        return BlocksOf(m_model.ngRing().inspection(slot).characters, count);
    }
    std::string recognizedBlocks(const std::string& text, std::size_t count = std::string::npos) const {
        return BlocksOf(sim::FixedReading(m_seed, text), count);
    }
    // The slot of the newest NG: the one before the slot pointer.
    int newestSlot() const { return (m_model.state().words[9] + kNgSlotCount - 1) % kNgSlotCount; }
    // The first slot of this seed whose character count satisfies `wanted`, or -1.
    int find(const std::function<bool(int)>& wanted) const {
        for (int slot = 0; slot < kNgSlotCount; ++slot) {
            if (wanted(characters(slot))) {
                return slot;
            }
        }
        return -1;
    }
    // The first seed (from 1) with an occupied-able slot whose character count satisfies `wanted`.
    static std::pair<std::uint64_t, int> Find(const std::function<bool(int)>& wanted) {
        for (std::uint64_t seed = 1;; ++seed) {
            if (const int slot = KnownSensor(seed).find(wanted); slot >= 0) {
                return {seed, slot};
            }
        }
    }

  private:
    template <typename Characters>
    static std::string BlocksOf(const Characters& characters, std::size_t count) {
        std::string blocks;
        for (std::size_t i = 0; i < std::min(count, characters.size()); ++i) {
            blocks += CharacterBlockFromPattern(characters[i].pattern);
        }
        return blocks;
    }

    std::uint64_t m_seed;
    sim::SensorModel m_model;
};

}  // namespace torv::test
