#include "core/texts/text_catalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace tq {
namespace {

bool HasCjk(std::string_view utf8) {
    // Every CJK ideograph and CJK punctuation mark starts with a lead byte of
    // E3 to E9 (U+3000 to U+9FFF) or EF BC/BD (full-width forms).
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b >= 0xE3 && b <= 0xE9) return true;
        if (b == 0xEF && i + 1 < utf8.size() && (utf8[i + 1] == '\xBC' || utf8[i + 1] == '\xBD')) return true;
    }
    return false;
}

// The value markers (%1 .. %9) a text holds, so that each language shows every value.
std::set<char> Markers(std::string_view text) {
    std::set<char> markers;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') markers.insert(text[i + 1]);
    return markers;
}

TEST(TextCatalogue, EveryEntryHasThreeLanguagesWithTheSameValuesAndEnglishIsEnglish) {
    std::set<std::string_view> keys;
    for (size_t i = 0; i < TextCount(); ++i) {
        const auto id = static_cast<TextId>(i);
        SCOPED_TRACE(std::string(TextKey(id)));
        EXPECT_TRUE(keys.insert(TextKey(id)).second);
        EXPECT_FALSE(Text(0, id).empty());
        EXPECT_FALSE(Text(1, id).empty());
        EXPECT_FALSE(Text(2, id).empty());
        EXPECT_FALSE(HasCjk(Text(2, id))) << Text(2, id);
        EXPECT_EQ(Markers(Text(1, id)), Markers(Text(0, id))) << Text(1, id);
        EXPECT_EQ(Markers(Text(2, id)), Markers(Text(0, id))) << Text(2, id);
    }
}

TEST(TextCatalogue, ValuesGoWhereEachLanguagePutsThem) {
    EXPECT_EQ(Text(2, TextId::ValueAfterColon, {"Capacity", "8MB"}), "Capacity: 8MB");
    EXPECT_EQ(Text(0, TextId::ValueAfterColon, {"容量", "8MB"}), "容量：8MB");
    EXPECT_EQ(Text(2, TextId::ValueAfterColon, {"only one"}), "only one: %2");
    EXPECT_EQ(TextPicker(1)(TextId::ValueAfterColon, {"%2", "x"}), "%2：x");
}

}  // namespace
}  // namespace tq
