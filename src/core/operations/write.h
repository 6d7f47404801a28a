// Writing the buffer into the chip: one header of command 0x35, then the
// data in blocks of the announced size, unanswered.
#pragma once

#include <cstdint>

#include "core/base/chip_type.h"
#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;
struct Prj_Info_Struct;

// One page, 1024, or the chip size up to 2048, as the chip's family says.
// Never 0 for a chip that has bytes to write (a page-wise family without a
// page size falls back to the chip size rule).
uint32_t WriteBlockSize(const Prj_Info_Struct& prj);
// Bytes a write sends: the buffer's length, cut to the chip and to the storage.
uint32_t WriteLength(const OperationContext& operation);
// One status line with the CRC-32 and SHA-256 of the image a read, write
// or verify just handled: its first WriteLength bytes of the buffer.
void ShowImageDigests(OperationContext& operation);

// The test made before a write or verify sends anything: the buffer holds
// data and, from the start address on, all of it fits the chip. Otherwise
// the reason is shown (status line, bar in error) and NoData or DoesNotFit
// returned; Succeeded when the image may go.
OperationOutcome CheckImageFitsChip(OperationContext& operation);

// The write stream: 0 written, 0x55 stopped (the abort block was sent),
// kOpTransferFailed the drive took no data, kOpChipRemoved the socket was
// found empty afterwards (each with its line shown).
int StreamWrite(OperationContext& operation, uint8_t channel, ChipType chipType);
// Indicator codes around the stream: 0 written, 0x55 stopped, 0xFF failed.
int WriteOnChannel(OperationContext& operation, uint8_t channel);

OperationOutcome WriteImage(OperationContext& operation);

}  // namespace tq
