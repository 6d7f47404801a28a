// Comparing the buffer with the chip: the chip is read into an image of its
// own, as a read reads it, and the buffer is never touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/buffer/compare_summary.h"
#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;

struct ChipComparison {
    std::vector<uint8_t> chip;   // the whole chip as read
    uint32_t start = 0;          // the chip address of the buffer's first byte
    uint32_t length = 0;         // bytes compared: what a write would send
    ImageDifference difference;  // the buffer against chip[start, start + length)
};

// Reads the chip (bar, Stop and every failure said as a read says them),
// compares the bytes a write would send with the chip from RamStartAddr and
// logs the summary. Succeeded whether or not they differ: `comparison` says.
// An empty buffer or one past the chip's end is refused before reading.
OperationOutcome CompareChipWithBuffer(OperationContext& operation, ChipComparison& comparison);

}  // namespace tq
