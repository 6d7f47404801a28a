#include "core/base/text_encoding.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(TextEncoding, ConvertsBetweenUtf8AndGbk) {
    EXPECT_EQ(Utf8ToGbk("中文A"), "\xD6\xD0\xCE\xC4" "A");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4" "A"), "中文A");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("繁體中文：晶片")), "繁體中文：晶片");
    // Characters beyond GBK survive a round trip instead of turning into '?'.
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("chip \xF0\x9F\x98\x80")), "chip \xF0\x9F\x98\x80");
}

TEST(TextEncoding, DamagedGbkInput) {
    // A value cut inside its last character loses that character only.
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xD6"), "中");
    // An invalid byte elsewhere becomes the replacement character.
    EXPECT_EQ(GbkToUtf8("\xFF" "A"), "\xEF\xBF\xBD" "A");
    EXPECT_EQ(Utf8ToGbk("A\xC3"), "A?");
}

TEST(TextEncoding, CutsOnCharacterBoundaries) {
    struct Case {
        std::string text;
        size_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {"中文A", 3, "中"},      // 文 would need bytes 3 and 4
        {"中文A", 4, "中文"},
        {"中文A", 5, "中文A"},
        {"A中文", 2, "A"},
        {"ABCDEFGH", 0, ""},
        {"chip \xF0\x9F\x98\x80", 8, "chip "},  // the 4-byte character does not fit
        {"chip \xF0\x9F\x98\x80", 9, "chip \xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutToGbkBytes(c.text, c.maxBytes), c.expected) << c.text << " / " << c.maxBytes;
        EXPECT_LE(GbkLength(CutToGbkBytes(c.text, c.maxBytes)), c.maxBytes);
    }
    EXPECT_EQ(CutGbk("\xD6\xD0\xCE\xC4", 3), "\xD6\xD0");
    EXPECT_EQ(GbkLength("中文A"), 5u);
}

}  // namespace
}  // namespace tq
