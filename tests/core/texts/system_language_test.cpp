// The language a system's locale asks for when dev.ini names none.
#include "core/texts/system_language.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(SystemLanguage, SimplifiedAndTraditionalChineseLocalesElseEnglish) {
    struct Case {
        const char* locale;
        int32_t language;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", 0}, {"zh_CN.GB18030", 0}, {"zh_SG", 0}, {"zh", 0}, {"zh_CN@pinyin", 0},
        {"zh_TW.UTF-8", 1}, {"zh_HK.Big5-HKSCS", 1}, {"zh_MO", 1}, {"zh-Hant", 1},
        {"en_US.UTF-8", 2}, {"de_DE", 2}, {"C", 2}, {"POSIX", 2}, {"", 2}, {"zha_CN", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(LanguageForLocale(c.locale), c.language) << c.locale;
}

TEST(SystemLanguage, LcAllThenLcMessagesThenLangAndEmptyMeansUnset) {
    EXPECT_EQ(MessagesLocale("zh_TW.UTF-8", "en_US", "zh_CN"), "zh_TW.UTF-8");
    EXPECT_EQ(MessagesLocale("", "en_US", "zh_CN"), "en_US");
    EXPECT_EQ(MessagesLocale(nullptr, nullptr, "zh_CN"), "zh_CN");
    EXPECT_EQ(MessagesLocale(nullptr, "", nullptr), "");
}

}  // namespace
}  // namespace tq
