#include "core/base/number_text.h"

#include <cstdio>

namespace tq {

std::string HexText(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::optional<uint32_t> ParseHexNumber(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

bool ParseHexNumber(std::string_view text, uint32_t& value) {
    const std::optional<uint32_t> parsed = ParseHexNumber(text);
    if (parsed) value = *parsed;
    return parsed.has_value();
}

std::string FormatSeconds(uint32_t milliseconds) {
    const uint64_t hundredths = (static_cast<uint64_t>(milliseconds) + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

}  // namespace tq
