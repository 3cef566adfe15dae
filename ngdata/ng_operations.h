#pragma once
// The NG data read (`kReadNgData`): one stored NG slot to an image file and an NG data file; and the
// NG-to-CSV conversion (`kConvertNgDataToCsv`): the stored slots, newest first, to one CSV file.
// Both write their files whole at the end, or not at all.

#include "engine/operation_run.h"

namespace torv {

// Reads the slot of NgDataNumber into OperationFileName + ".bmp" and + ".ng4".
void ReadNgDataOperation(OperationRun& run);

// Reads the stored slots, newest first, into OperationFileName + ".csv".
void ConvertNgDataToCsvOperation(OperationRun& run);

}  // namespace torv
