// Hex digits of the record formats, read and written in bulk: reading takes
// eight characters at a time as one machine word, writing takes each byte's
// two characters from a table. Inline, so that the record loops keep them
// in registers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tq {

namespace hex_words {

// Eight characters make one word holding the first character in its lowest byte.
constexpr uint64_t EachByte(uint64_t value) { return value * 0x0101010101010101u; }

inline uint64_t LoadWord(const char* text) {
    uint64_t word;
    std::memcpy(&word, text, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t reversed = 0;
        for (int i = 0; i < 8; ++i) reversed |= (word >> (8 * i) & 0xFF) << (56 - 8 * i);
        word = reversed;
    }
    return word;
}

// The first `length` (< 8) characters, the missing ones read as '0'.
inline uint64_t LoadPartialWord(const char* text, std::size_t length) {
    char chars[8] = {'0', '0', '0', '0', '0', '0', '0', '0'};
    std::memcpy(chars, text, length);
    return LoadWord(chars);
}

// Whether all eight characters are hex digits. Each byte's top bit says
// whether it lies in a range; a byte with its own top bit set never passes.
inline bool IsHexWord(uint64_t word) {
    const uint64_t lower = word | EachByte(0x20);
    const uint64_t digit = (word + EachByte(0x80 - '0')) & ~(word + EachByte(0x80 - '9' - 1));
    const uint64_t letter = (lower + EachByte(0x80 - 'a')) & ~(lower + EachByte(0x80 - 'f' - 1));
    return ((digit | letter) & ~word & EachByte(0x80)) == EachByte(0x80);
}

// The four bytes of eight hex digits, the first byte lowest.
inline uint32_t DecodeWord(uint64_t word) {
    // '0'-'9' keep their low nibble; letters have bit 6 set and need 9 more.
    const uint64_t nibbles = (word & EachByte(0x0F)) + (word >> 6 & EachByte(0x01)) * 9;
    uint64_t bytes = (nibbles << 4 | nibbles >> 8) & 0x00FF00FF00FF00FFu;
    bytes = (bytes | bytes >> 8) & 0x0000FFFF0000FFFFu;
    return static_cast<uint32_t>(bytes | bytes >> 16);
}

inline void StoreBytes(uint32_t bytes, std::size_t count, uint8_t* out) {
    if (std::endian::native == std::endian::little && count == 4) {
        std::memcpy(out, &bytes, 4);  // one store, not four
        return;
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(bytes >> (8 * i));
}

}  // namespace hex_words

// Whether the 2 * count characters of count bytes are all hex digits (either case).
inline bool AllHexDigits(const char* text, std::size_t count) {
    using namespace hex_words;
    bool all = true;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) all &= IsHexWord(LoadWord(text + 2 * i));
    if (i < count) all &= IsHexWord(LoadPartialWord(text + 2 * i, 2 * (count - i)));
    return all;
}

// Decodes count bytes from 2 * count characters already known to be hex digits.
inline void DecodeHexDigits(const char* text, std::size_t count, uint8_t* out) {
    using namespace hex_words;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) StoreBytes(DecodeWord(LoadWord(text + 2 * i)), 4, out + i);
    if (i < count) StoreBytes(DecodeWord(LoadPartialWord(text + 2 * i, 2 * (count - i))), count - i, out + i);
}

// Checks and decodes in one go: false when a character is no hex digit, and
// then the bytes at `out` are of no use. `readable` characters from `text`
// may be looked at (at least 2 * count): the last few digits are then read
// as a whole word too.
inline bool ReadHexBytes(const char* text, std::size_t count, uint8_t* out, std::size_t readable = 0) {
    using namespace hex_words;
    bool all = true;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const uint64_t word = LoadWord(text + 2 * i);
        all &= IsHexWord(word);
        StoreBytes(DecodeWord(word), 4, out + i);
    }
    if (i < count) {
        const std::size_t length = 2 * (count - i);
        uint64_t word;
        if (std::endian::native == std::endian::little && 2 * i + 8 <= readable) {
            // The characters past the digits read as '0'.
            const uint64_t kept = ~uint64_t{0} >> (64 - 8 * length);
            word = (LoadWord(text + 2 * i) & kept) | (EachByte('0') & ~kept);
        } else {
            word = LoadPartialWord(text + 2 * i, length);
        }
        all &= IsHexWord(word);
        StoreBytes(DecodeWord(word), count - i, out + i);
    }
    return all;
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

// Writes the digits of `count` bytes at `out`, four bytes to one word at a
// time, and returns the position after them.
inline char* PutHexBytes(char* out, const uint8_t* bytes, std::size_t count) {
    using hex_words::EachByte;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= count; i += 4) {
            uint32_t four;
            std::memcpy(&four, bytes + i, 4);
            // Each byte into its own 16-bit lane, then its high nibble into
            // the lane's first character and its low nibble into the second.
            uint64_t lanes = four;
            lanes = (lanes | lanes << 16) & 0x0000FFFF0000FFFFu;
            lanes = (lanes | lanes << 8) & 0x00FF00FF00FF00FFu;
            const uint64_t nibbles = (lanes >> 4 & 0x000F000F000F000Fu) | (lanes & 0x000F000F000F000Fu) << 8;
            const uint64_t letters = (nibbles + EachByte(0x80 - 10)) >> 7 & EachByte(1);  // nibble of 10 or more
            const uint64_t text = nibbles + EachByte('0') + letters * ('A' - '0' - 10);
            std::memcpy(out + 2 * i, &text, 8);
        }
    }
    for (; i < count; ++i) std::memcpy(out + 2 * i, kHexPairs.pairs[bytes[i]], 2);
    return out + 2 * count;
}

// "0x" and `digits` upper-case digits, for messages.
inline std::string HexAddressText(uint64_t value, int digits) {
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kHexPairs.pairs[(value >> shift) & 0xF][1];
    return text;
}

}  // namespace tq
