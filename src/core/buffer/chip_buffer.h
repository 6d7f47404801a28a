// The buffer's life: a fresh 0xFF image per chip, its byte-sum checksum and
// the checksum text in the middle panel of the status bar.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/buffer/buffer_context.h"

namespace tq {

// initial + the sum of `count` unsigned bytes, modulo 2^32.
uint32_t CheckSum32(uint32_t initial, const uint8_t* bytes, size_t count);

// "CheckSum:0x0000FF00": one notation wherever a checksum is shown.
std::string CheckSumText(uint32_t sum);
void ShowCheckSum(BufferContext& buffer, uint32_t sum);

// The chip's Capacity as a bound on the storage: never more than what is
// allocated (a chip chosen while the chip frame sat in the project dialog
// changes Capacity but not the storage).
uint32_t StorageBound(const BufferContext& buffer);

// CheckSum32 over the first StorageBound bytes; summed once per storage
// and then kept up to date by the edits (KnownStorageSum).
uint32_t StorageCheckSum(BufferContext& buffer);

// StorageCheckSum shown in status panel 1.
void ShowStorageCheckSum(BufferContext& buffer);

// Byte `offset` changed from `before` to `after`: the kept sum follows.
void AdjustStorageSum(BufferContext& buffer, uint32_t offset, uint8_t before, uint8_t after);

// Replaces the storage by `capacity` bytes of 0xFF with DataLen = capacity
// and the view at the top. FileName, RamStartAddr and the find fields stay.
void ReplaceBufferStorage(BufferContext& buffer, uint32_t capacity);

// Points the scroll bar (maximum DataLen, position 0) and the view at the top
// of the buffer and redraws: after a new image arrived in the buffer.
void ResetHexViewToTop(BufferContext& buffer);

// A new 0xFF buffer of `capacity` bytes and its checksum in status panel 1;
// it holds no file any more, and the caption says so.
void NewChipBuffer(BufferContext& buffer, uint32_t capacity);

}  // namespace tq
