// Before a write into flash: the range to be written is checked for blank,
// and a range holding data is not written over unless the person says so.
#pragma once

#include <cstdint>
#include <vector>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

// Whether the blank check runs before this session's write: it is on and
// the chip can only clear bits when programmed.
bool BlankCheckBeforeWrite(const OperationContext& operation);

// Everything a write does before its stream, once the chip is in the
// socket: the backup, the blank check of the range (from the backup's bytes
// when the chip was just read, else with the programmer's blank check) and,
// when it holds data, what the guard's rule or the person decides: erase
// first (the erase runs here), write anyway, or cancel. Succeeded: the
// stream may go. Declined: the write was cancelled or refused (said),
// nothing written. Stopped or Failed: said, nothing written.
OperationOutcome PrepareChipForWrite(OperationContext& operation);

}  // namespace tq
