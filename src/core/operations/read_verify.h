// Reading the chip into the buffer and comparing the chip with the buffer,
// both through the read stream of command 0x34.
#pragma once

#include <cstdint>
#include <vector>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;
struct Prj_Info_Struct;

// How often the read asks again for one block the programmer has marked as
// not delivered before it gives up with the read error.
inline constexpr int kReadBlockRetries = 8;

// Read and verify blocks as the chip's family says (chip_family.cpp). Both
// fit the 4096-byte receive area: page blocks that would not are cut to the
// whole pages that fit (or to 4096 for a page larger than that).
uint32_t ReadBlockSize(const Prj_Info_Struct& prj);
uint32_t VerifyBlockSize(const Prj_Info_Struct& prj);

// Reads the whole chip. The buffer takes the chip's bytes only when every
// block arrived from a chip still in the socket: 0 read, kOpFailed a block
// was never delivered or the drive was lost, kOpStopped, kOpChipRemoved
// (each line shown, the buffer unchanged).
int ReadOnChannel(OperationContext& operation, uint8_t channel);
// The transfer under every read: the whole chip into `chip` (resized to the
// capacity), the bar showing progress, the buffer untouched. 0 read, or the
// failure, stop or removal code with its line shown. It says nothing on
// success: the caller says what the bytes were for. `elapsedMs`, when given,
// takes the transfer's time.
int ReadChipImage(OperationContext& operation, uint8_t channel, std::vector<uint8_t>& chip,
                  uint32_t* elapsedMs = nullptr);

// Compares the chip from RamStartAddr with the buffer: 0 equal, 255 at the
// first difference (its address and bytes shown) or a block that did not
// arrive, 0x55 stopped (how far shown).
int VerifyOnChannel(OperationContext& operation, uint8_t channel);

// What every read checks once it holds the programmer: the link, a running
// erase, the socket and the chip choice. Succeeded when the read may go.
OperationOutcome ReadMayStart(OperationContext& operation);

OperationOutcome ReadChip(OperationContext& operation);
OperationOutcome VerifyChip(OperationContext& operation);
// Reads the chip into `chip` for a compare, a backup or a second look,
// with the same checks a read makes; the buffer is untouched. The caller
// says the result.
OperationOutcome CopyChip(OperationContext& operation, std::vector<uint8_t>& chip);

}  // namespace tq
