// Builds Intel HEX lines with correct checksums for tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tq::testing {

inline std::string HexRecord(uint8_t type, uint16_t address, const std::vector<uint8_t>& data) {
    char text[16];
    std::string line = ":";
    unsigned sum = static_cast<unsigned>(data.size()) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(text, sizeof text, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    line += text;
    for (uint8_t byte : data) {
        std::snprintf(text, sizeof text, "%02X", byte);
        line += text;
        sum += byte;
    }
    std::snprintf(text, sizeof text, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text + "\n";
}

inline std::string DataRecord(uint16_t address, const std::vector<uint8_t>& data) { return HexRecord(0x00, address, data); }
inline std::string EndRecord() { return ":00000001FF\n"; }
inline std::string LinearAddressRecord(uint16_t upper) {
    return HexRecord(0x04, 0, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
}
inline std::string SegmentAddressRecord(uint16_t segment) {
    return HexRecord(0x02, 0, {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment)});
}

// count bytes first, first + 1, ... (wrapping at 256).
inline std::vector<uint8_t> Counting(uint8_t first, std::size_t count) {
    std::vector<uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

// a followed by b.
inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace tq::testing
