// Erase (the programmer erasing by itself and being polled, or the host
// writing 0xFF over the chip) and the blank check.
#pragma once

#include <cstdint>

#include "core/base/chip_type.h"
#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

// How many polls a polled erase makes before giving up, and the pause before each.
inline constexpr int kErasePolls = 100;
inline constexpr uint32_t kErasePollWait10us = 200000;     // 2 s
// Largest range one blank-check command asks about.
inline constexpr uint32_t kBlankCheckRange = 0x8400;

// Erases the selected chip: 0 done, 0x55 stopped by the user, 0xFF the chip
// never reported the end, kOpTransferFailed a fill erase lost the drive.
int EraseOnChannel(OperationContext& operation, uint8_t channel);

// Shows how an erase ended in panel 0 (and on the bar when it failed).
void ShowEraseResult(OperationContext& operation, int result, uint32_t elapsedMs);

OperationOutcome EraseChip(OperationContext& operation);
// Succeeded: every range blank; Failed: a range not blank (bar red).
OperationOutcome CheckBlank(OperationContext& operation);

}  // namespace tq
