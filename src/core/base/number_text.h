// Numbers as the program shows them.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

// Upper-case hexadecimal, at least `digits` digits with leading zeros ("0001F0" for 0x1F0, 6).
std::string HexText(uint32_t value, int digits);

// Milliseconds as seconds with two decimals, rounded half up ("1.50" for 1500).
std::string FormatSeconds(uint32_t milliseconds);

}  // namespace tq
