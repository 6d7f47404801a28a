// An image in memory: bytes and the address of the first of them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tq {

struct Image {
    uint64_t address = 0;
    std::vector<uint8_t> bytes;
};

// Bytes held elsewhere (the buffer's storage, an image) with their address.
struct ImageSpan {
    uint64_t address = 0;
    std::span<const uint8_t> bytes;
};

}  // namespace tq
