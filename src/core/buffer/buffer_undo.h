// Undo and redo of what the person does to the buffer: in-place edits,
// fills, byte swaps and imports. The routines that change the buffer record
// here before they change it; a new image (chip change, chip read, opened
// file) starts the history afresh. Whether the buffer differs from the last
// file opened, read or saved goes to the hex view as it changes.
#pragma once

#include <cstdint>

#include "core/buffer/buffer_context.h"

namespace tq {

// Bytes [offset, offset + count) of the storage are about to change, and
// DataLen and RamStartAddr are still those before the change.
void RecordRangeBeforeEdit(BufferContext& buffer, uint32_t offset, uint32_t count);

// One byte was typed over; the low nibble right after the high nibble of the
// same byte joins that edit, so one undo restores the whole byte.
void RecordByteEdit(BufferContext& buffer, uint32_t offset, uint8_t before, uint8_t after, bool lowNibble);

// The byte pairs below DataLen are about to be swapped: undone by swapping again.
void RecordByteSwap(BufferContext& buffer);

// Undo and redo: false when there is nothing to do or the buffer is locked.
// The changed range comes into view with the caret on its first byte, and
// the storage's checksum is shown.
bool UndoBufferEdit(BufferContext& buffer);
bool RedoBufferEdit(BufferContext& buffer);

// A new image is in the buffer, equal to its chip or file: nothing to undo.
void ForgetBufferHistory(BufferContext& buffer);

// The buffer was written to a file and equals it now.
void MarkBufferSaved(BufferContext& buffer);

// Before a command throws away edits that no file holds: asks Save /
// Discard / Cancel. True when there are none, when the person saved them
// (through the save dialog) or agreed to lose them; false keeps everything.
bool ConfirmDiscardEdits(BufferContext& buffer);

}  // namespace tq
