#include "core/buffer/hex_field.h"

#include <gtest/gtest.h>

#include "support/buffer_session.h"

namespace tq {
namespace {

TEST(InvalidHexText, QuotesTheTextInTheCurrentLanguage) {
    testing::BufferSession t;
    t.session.Texts.Language = 2;
    EXPECT_EQ(InvalidHexText(t.session.Buffer, "12G4"), "'12G4' is not a valid hexadecimal number");
    t.session.Texts.Language = 0;
    EXPECT_NE(InvalidHexText(t.session.Buffer, "12G4").find("“12G4”"), std::string::npos);
    t.session.Texts.Language = 1;
    EXPECT_NE(InvalidHexText(t.session.Buffer, "12G4").find("「12G4」"), std::string::npos);
}

TEST(ReadFindPattern, ReadsPairsIgnoresAnOddDigitAndKeepsWhatCameBeforeABadPair) {
    std::array<uint8_t, 256> pattern{};
    uint16_t length = 99;
    EXPECT_TRUE(ReadFindPattern("ABC", pattern, length));
    EXPECT_EQ(length, 1);
    EXPECT_EQ(pattern[0], 0xAB);

    EXPECT_TRUE(ReadFindPattern("", pattern, length));
    EXPECT_EQ(length, 0);

    EXPECT_TRUE(ReadFindPattern("0a1B", pattern, length));
    EXPECT_EQ(length, 2);
    EXPECT_EQ(pattern[1], 0x1B);

    pattern.fill(0);
    EXPECT_FALSE(ReadFindPattern("1122ZZ44", pattern, length));
    EXPECT_EQ(length, 4);  // already set
    EXPECT_EQ(pattern[0], 0x11);
    EXPECT_EQ(pattern[1], 0x22);
    EXPECT_EQ(pattern[2], 0x00);
}

TEST(ReadFindPattern, APatternLongerThan256BytesIsCutToThePatternStore) {
    std::array<uint8_t, 256> pattern{};
    uint16_t length = 0;
    std::string text;
    for (int i = 0; i < 300; ++i) text += "5A";
    EXPECT_TRUE(ReadFindPattern(text, pattern, length));
    EXPECT_EQ(length, 256);
    EXPECT_EQ(pattern[255], 0x5A);
}

}  // namespace
}  // namespace tq
