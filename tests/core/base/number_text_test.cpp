#include "core/base/number_text.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

// Options (--start, --address) and dialog fields all read numbers this way.
TEST(ParseHexNumber, TakesOneToEightHexDigitsWithOrWithout0x) {
    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    };
    const Case cases[] = {
        {"0", 0u},           {"00000000", 0u},         {"FFFFFFFF", 0xFFFFFFFFu}, {"1f0", 0x1F0u},
        {"8000", 0x8000u},   {"100", 0x100u},          {"0x1f", 0x1Fu},           {"0x10", 0x10u},
        {"0XFFFFFFFF", 0xFFFFFFFFu},
        {"", std::nullopt},  {"0x", std::nullopt},     {"123456789", std::nullopt}, {"0x123456789", std::nullopt},
        {"12G4", std::nullopt}, {"12G", std::nullopt}, {" 12", std::nullopt},     {" 10", std::nullopt},
        {"-1", std::nullopt}, {"0x-1", std::nullopt},  {"x10", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHexNumber(c.text), c.value) << c.text;
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(ParseHexNumber(c.text, value), c.value.has_value()) << c.text;
        EXPECT_EQ(value, c.value.value_or(0xDEADBEEF)) << c.text;
    }
}

}  // namespace
}  // namespace tq
