#pragma once
// The desktop tool's side of the write journal: before a run on a port, the warning that the last write
// to that sensor did not finish; after a write that stopped part-way, how to restore the sensor.

#include <QString>

#include "engine/operation_state.h"

class QWidget;

namespace torv {

// Shows the warning when the journal holds an unfinished write for the device `port` opens.
void WarnOfUnfinishedWrite(QWidget* parent, int port);

// After a parameter or dictionary write, described by `state`, that stopped between its first word and
// the store command.
QString UnstoredWriteNotice(const OperationState& state);

}  // namespace torv
