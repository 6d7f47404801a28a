// What the buffer knows of the selected chip: how many bytes it holds and
// the chip address that the buffer's first byte is written to. Both live in
// the operation record (the chip's facts and the operation options); the
// buffer reads and sets them through this view and sees nothing else of it.
#pragma once

#include <cstdint>

namespace tq {

struct BufferGeometry {
    const uint32_t& capacity;
    uint32_t& startAddress;
};

}  // namespace tq
