// Hex digits of the record formats, read and written in bulk: reading takes
// eight characters at a time as one machine word, writing takes each byte's
// two characters from a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tq {

// Whether the 2 * count characters of count bytes are all hex digits (either case).
bool AllHexDigits(const char* text, std::size_t count);

// Decodes count bytes from 2 * count characters already known to be hex digits.
void DecodeHexDigits(const char* text, std::size_t count, uint8_t* out);

// Both at once: false, and nothing written, when a character is no hex digit.
inline bool ReadHexBytes(const char* text, std::size_t count, uint8_t* out) {
    if (!AllHexDigits(text, count)) return false;
    DecodeHexDigits(text, count, out);
    return true;
}

// The two upper-case digits of every byte value, first digit first.
struct HexPairTable {
    char pairs[256][2];
};
inline constexpr HexPairTable kHexPairs = [] {
    HexPairTable table{};
    constexpr char digits[] = "0123456789ABCDEF";
    for (int byte = 0; byte < 256; ++byte) {
        table.pairs[byte][0] = digits[byte >> 4];
        table.pairs[byte][1] = digits[byte & 0xF];
    }
    return table;
}();

// Writes the two digits of `byte` at `out` and returns the position after them.
inline char* PutHexByte(char* out, uint8_t byte) {
    std::memcpy(out, kHexPairs.pairs[byte], 2);
    return out + 2;
}

// "0x" and `digits` upper-case digits, for messages.
std::string HexAddressText(uint64_t value, int digits);

}  // namespace tq
