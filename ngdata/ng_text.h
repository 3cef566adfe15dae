#pragma once
// The two text files made from NG slots, byte for byte: the NG data file (".ng4") of one slot and the
// NG data CSV (".csv") records of many. Both are written in text mode: every newline is CR LF on
// disk, and characters read by the sensor are single bytes.

#include <string>

#include "ngdata/ng_record.h"
#include "ngdata/ng_slots.h"

namespace torv {

// The whole NG data file of one slot.
std::string NgDataFileText(const NgResultRecord& record, const NgPatternBlocks& patterns);

// The CSV lines of one slot, `recordNumber` its place (1 the newest) among the slots converted.
std::string NgCsvRecordText(int recordNumber, const NgResultRecord& record, const NgPatternBlocks& patterns);

// What the count line adds when the sensor reported more characters than a record holds (empty when
// it did not): the files then hold the first 48 and say so on their count line.
std::string ClampedCountNote(const NgResultRecord& record);

}  // namespace torv
