#pragma once
// The parameter read and write (`kReadParameters`, `kWriteParameters`): the sensor's whole parameter
// set to a parameter file and back.

#include "engine/operation_run.h"

namespace torv {

// Reads words 0..11 and the 16 banks into OperationFileName + ".torv" (607 lines).
void ReadParametersOperation(OperationRun& run);

// Streams the file back with `R` and `W` (common words 0..8 and the 16 banks), stores with `U`,
// and follows the sensor to the rate its COMMUNIC setting names.
void WriteParametersOperation(OperationRun& run);

// Reads back every word a write sends (common words 0..8 and the 16 banks) and compares it with the
// file OperationFileName + ".torv". Differing words fail the run with a list of them, one a line:
// "Bank 3 word 2 (sensor word 126, SHUTTER): file 90, sensor 70".
void VerifyParametersOperation(OperationRun& run);

}  // namespace torv
