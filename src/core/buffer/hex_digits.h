// Hex digits of the record formats, read and written in bulk: reading takes
// sixteen characters at a time as one vector where the processor has them
// and eight at a time as one machine word, writing takes each byte's
// two characters from a table. Inline, so that the record loops keep them
// in registers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TQ_HEX_DIGITS_SSE2 1
#endif

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

// Whether any of the eight characters is a line feed.
inline bool HasByte(uint64_t word, char value) {
    const uint64_t zeroAt = word ^ EachByte(static_cast<uint8_t>(value));
    return ((zeroAt - EachByte(0x01)) & ~zeroAt & EachByte(0x80)) != 0;
}

// A line feed or a carriage return: either ends a line.
inline bool HasLineEnd(uint64_t word) { return HasByte(word, '\n') || HasByte(word, '\r'); }

inline void StoreBytes(uint32_t bytes, std::size_t count, uint8_t* out) {
    if (std::endian::native == std::endian::little && count == 4) {
        std::memcpy(out, &bytes, 4);  // one store, not four
        return;
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(bytes >> (8 * i));
}

}  // namespace hex_words

#ifdef TQ_HEX_DIGITS_SSE2
namespace hex_vectors {

// Sixteen characters at a time, in the manner of the words above: whether
// all are hex digits, and their eight bytes at `out`.
inline bool DecodeSixteen(__m128i chars, uint8_t* out) {
    const __m128i lower = _mm_or_si128(chars, _mm_set1_epi8(0x20));
    // Signed compares: a character with its top bit set is below '0' and fails.
    const __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(chars, _mm_set1_epi8('9' + 1)));
    const __m128i letter =
        _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmplt_epi8(lower, _mm_set1_epi8('f' + 1)));
    const bool all = _mm_movemask_epi8(_mm_or_si128(digit, letter)) == 0xFFFF;
    // '0'-'9' keep their low nibble; letters have bit 6 set and need 9 more.
    const __m128i letterBit = _mm_and_si128(_mm_srli_epi16(chars, 6), _mm_set1_epi8(1));
    const __m128i nibbles = _mm_add_epi8(_mm_and_si128(chars, _mm_set1_epi8(0x0F)),
                                         _mm_add_epi8(_mm_slli_epi16(letterBit, 3), letterBit));
    // Each 16-bit lane holds a byte's first digit low and its second high.
    const __m128i bytes = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4),
                                       _mm_srli_epi16(nibbles, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(bytes, bytes));
    return all;
}

inline bool ReadSixteen(const char* text, uint8_t* out) {
    return DecodeSixteen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text)), out);
}

// The first `length` (< 16) of sixteen readable characters, the rest read as
// '0': whether they are hex digits, and their bytes at `out` (eight written).
inline bool ReadSixteenPartly(const char* text, std::size_t length, uint8_t* out) {
    alignas(16) static constexpr char kPositions[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i kept = _mm_cmplt_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(kPositions)),
                                        _mm_set1_epi8(static_cast<char>(length)));
    return DecodeSixteen(_mm_or_si128(_mm_and_si128(kept, chars), _mm_andnot_si128(kept, _mm_set1_epi8('0'))), out);
}

}  // namespace hex_vectors
#endif

// Whether the 2 * count characters of count bytes are all hex digits (either case).
inline bool AllHexDigits(const char* text, std::size_t count) {
    using namespace hex_words;
    bool all = true;
    std::size_t i = 0;
#ifdef TQ_HEX_DIGITS_SSE2
    uint8_t unused[8];
    for (; i + 8 <= count; i += 8) all &= hex_vectors::ReadSixteen(text + 2 * i, unused);
#endif
    for (; i + 4 <= count; i += 4) all &= IsHexWord(LoadWord(text + 2 * i));
    if (i < count) all &= IsHexWord(LoadPartialWord(text + 2 * i, 2 * (count - i)));
    return all;
}

// Decodes count bytes from 2 * count characters already known to be hex digits.
inline void DecodeHexDigits(const char* text, std::size_t count, uint8_t* out) {
    using namespace hex_words;
    std::size_t i = 0;
#ifdef TQ_HEX_DIGITS_SSE2
    for (; i + 8 <= count; i += 8) hex_vectors::ReadSixteen(text + 2 * i, out + i);
#endif
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
#ifdef TQ_HEX_DIGITS_SSE2
    for (; i + 8 <= count; i += 8) all &= hex_vectors::ReadSixteen(text + 2 * i, out + i);
    if (i < count && 2 * i + 16 <= readable) {
        uint8_t last[8];
        all &= hex_vectors::ReadSixteenPartly(text + 2 * i, 2 * (count - i), last);
        std::memcpy(out + i, last, count - i);
        return all;
    }
#endif
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

// The value of the two hex digits at `text`; -1 when either is none.
inline int HexPairValue(const char* text) {
    const auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
    };
    const int high = digit(text[0]), low = digit(text[1]);
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

// Lines end with a line feed, a carriage return and a line feed, or a
// carriage return alone. A line's length counts the carriage return before
// a line feed but not a lone one: the character after the line is the one
// that ends it.

// Where a record of `expected` characters at `text` ends if its line ends
// right after it: the line's length, 0 when the characters there are no
// line end. Only a guess: the record's own characters are not searched.
inline std::size_t GuessedLineLength(const char* text, std::size_t available, std::size_t expected) {
    if (expected >= available) return 0;
    if (text[expected] == '\n') return expected;
    if (text[expected] != '\r') return 0;
    return expected + 1 < available && text[expected + 1] == '\n' ? expected + 1 : expected;
}

// The length of the line at `text` (all `available` characters when no line
// end follows). Where a sound record of `expected` characters would end is
// looked at first, so that in a file of sound records no search is needed;
// the answer is the same either way.
inline std::size_t LineLength(const char* text, std::size_t available, std::size_t expected = 0) {
    using namespace hex_words;
    if (const std::size_t end = GuessedLineLength(text, available, expected); end > 0) {
        bool ends = false;
        std::size_t i = 0;
#ifdef TQ_HEX_DIGITS_SSE2
        if (expected >= 16) {
            const auto lineEnds = [text](std::size_t at) {
                const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
                return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chars, _mm_set1_epi8('\n')),
                                                      _mm_cmpeq_epi8(chars, _mm_set1_epi8('\r')))) != 0;
            };
            for (; i + 16 <= expected; i += 16) ends |= lineEnds(i);
            ends |= lineEnds(expected - 16);  // the last sixteen, overlapping
            i = expected;
        }
#endif
        for (; i + 8 <= expected; i += 8) ends |= HasLineEnd(LoadWord(text + i));
        if (i < expected) ends |= HasLineEnd(LoadPartialWord(text + i, expected - i));
        if (!ends) return end;
    }
    const auto* lineFeed = static_cast<const char*>(std::memchr(text, '\n', available));
    const std::size_t feedAt = lineFeed ? static_cast<std::size_t>(lineFeed - text) : available;
    const auto* carriageReturn = static_cast<const char*>(std::memchr(text, '\r', feedAt));
    if (!carriageReturn) return feedAt;
    const auto returnAt = static_cast<std::size_t>(carriageReturn - text);
    return returnAt + 1 == feedAt ? feedAt : returnAt;
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
