// The data-file checksum an offline project carries: a CRC-32 (the IEEE
// 802.3 one) whose register is complemented after every 1024 bytes, because
// the programmer computes it piece by piece that way. A file of at most 1024
// bytes therefore gets its ordinary CRC-32; an empty file gives 0xFFFFFFFF.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tq {

inline constexpr size_t kProjectCrcPiece = 1024;
inline constexpr uint32_t kProjectCrcStart = 0xFFFFFFFF;

// Feeds one piece of at most 1024 bytes into the running value.
uint32_t ProjectCrcPiece(uint32_t running, const uint8_t* piece, size_t length);

// The checksum of bytes in memory.
uint32_t ProjectCrc(const uint8_t* bytes, size_t length);

}  // namespace tq
