#include "core/base/number_text.h"

#include <cstdio>

namespace tq {

std::string HexText(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string FormatSeconds(uint32_t milliseconds) {
    const uint64_t hundredths = (static_cast<uint64_t>(milliseconds) + 5) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llu", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

}  // namespace tq
