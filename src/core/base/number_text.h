// Numbers as the program shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// Upper-case hexadecimal, at least `digits` digits with leading zeros ("0001F0" for 0x1F0, 6).
std::string HexText(uint32_t value, int digits);

// The value of one hexadecimal digit (either case), or -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The value of a hexadecimal number as a person types it: 1 to 8 hex digits
// (either case), "0x" or "0X" before them allowed; nothing for an empty
// text, a longer one, or any other character. Options and dialog fields all
// read numbers through this.
std::optional<uint32_t> ParseHexNumber(std::string_view text);
// The same as a test: stores the value and returns true, or leaves it and returns false.
bool ParseHexNumber(std::string_view text, uint32_t& value);

// Milliseconds as seconds with two decimals, rounded half up ("1.50" for 1500).
std::string FormatSeconds(uint32_t milliseconds);

}  // namespace tq
