#include "cli/chip_command.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(ParseStartAddress, TakesOneToEightHexDigits) {
    struct Case {
        const char* text;
        std::optional<uint32_t> address;
    };
    const Case cases[] = {
        {"0", 0u},          {"100", 0x100u},     {"0x1f", 0x1Fu},     {"FFFFFFFF", 0xFFFFFFFFu},
        {"", std::nullopt}, {"0x", std::nullopt}, {"123456789", std::nullopt}, {"12G", std::nullopt},
        {"-1", std::nullopt}, {" 10", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseStartAddress(c.text), c.address) << c.text;
}

}  // namespace
}  // namespace tq
