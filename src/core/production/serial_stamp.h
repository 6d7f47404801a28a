// Serial numbers put into each chip's image by the host: the same settings
// an offline project carries (address, 1, 2 or 4 bytes, byte order, first
// value), plus the step between two chips.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tq {

struct SerialStamp {
    uint32_t address = 0;
    int length = 4;  // bytes: 1, 2 or 4
    bool littleEndian = false;
    uint64_t first = 0;
    uint64_t step = 1;
};

// Why a stamp cannot be applied, checked before a number is taken.
enum class StampProblem { None, BadLength, BeyondImage, FirstTooWide, ZeroStep };
StampProblem CheckStamp(const SerialStamp& stamp, size_t imageSize);

// Whether `value` fits the stamp's length (a number of 2 bytes stops at 0xFFFF).
bool ValueFits(const SerialStamp& stamp, uint64_t value);

// Writes `value` into `image` at the stamp's address in its byte order;
// false (image untouched) when the stamp does not fit the image or the
// value does not fit the length.
bool StampSerial(std::vector<uint8_t>& image, const SerialStamp& stamp, uint64_t value);

}  // namespace tq
