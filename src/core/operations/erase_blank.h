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
inline constexpr uint32_t kErasePollExtra45Wait10us = 30000;  // a further 0.3 s for 45 EEPROM
// Largest range one blank-check command asks about.
inline constexpr uint32_t kBlankCheckRange = 0x8400;

// True for the chip types the programmer erases by itself (SPI flash, 45 EEPROM, SWD ARM).
bool UsesPolledErase(ChipType type);

// Erases the selected chip: 0 done, 0x55 stopped by the user, 0xFF the chip
// never reported the end, kOpTransferFailed a fill erase lost the drive.
int EraseChip(OperationContext& operation, uint8_t channel);

// Shows how an erase ended in panel 0 (and on the bar when it failed).
void ShowEraseResult(OperationContext& operation, int result, uint32_t elapsedMs);

OperationOutcome sbEraseClick(OperationContext& operation);
// Succeeded: every range blank; Failed: a range not blank (bar red).
OperationOutcome sbBlankCheckClick(OperationContext& operation);

}  // namespace tq
