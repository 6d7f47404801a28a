#include "core/buffer/buffer_clipboard.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(HexBytesText, ReadsGroupsOfDigitPairsAndRefusesAnythingElse) {
    const uint8_t bytes[] = {0x12, 0xAB, 0x00};
    EXPECT_EQ(HexBytesText(bytes, 3), "12 AB 00");
    const struct {
        const char* text;
        std::optional<std::vector<uint8_t>> bytes;
    } cases[] = {
        {"12 AB 00", std::vector<uint8_t>{0x12, 0xAB, 0x00}},
        {"12ab\n0x0F,ff;\t01", std::vector<uint8_t>{0x12, 0xAB, 0x0F, 0xFF, 0x01}},
        {"", std::nullopt},
        {"  \n", std::nullopt},
        {"12 A", std::nullopt},
        {"12 G0", std::nullopt},
        {"0x", std::nullopt},
        {"hello", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexBytes(c.text), c.bytes) << c.text;
}

}  // namespace
}  // namespace tq
