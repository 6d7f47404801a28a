// The translations shipped in data/lang: each one complete, with the values
// and key letters of the English texts.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "core/texts/language_set.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

// The key letters of a text: a '&' before a letter ("&Yes"); "&&" and
// "erase & write" are plain ampersands.
std::string Mnemonics(std::string_view text) {
    std::string letters;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&' && text[i + 1] != ' ') letters += '&';
        ++i;
    }
    return letters;
}

TEST(ShippedLanguageFiles, EveryTranslationHasEveryKeyTheEnglishValuesAndKeyLetters) {
    const std::filesystem::path folder = std::filesystem::path(TQ_SOURCE_DIR) / "data" / "lang";
    size_t checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".ini" || name == "CN.ini" || name == "TC.ini" || name == "EN.ini") continue;
        SCOPED_TRACE(name);
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        std::optional<LanguageFileProblem> problem;
        const std::optional<FurtherLanguage> language = ParseLanguageFile(content.str(), entry.path(), problem);
        ASSERT_TRUE(language) << (problem ? problem->detail : "no [Language] section");
        EXPECT_FALSE(problem);
        EXPECT_EQ(name, language->code + ".ini");
        EXPECT_FALSE(language->englishName.empty());
        // Keys missing or with other %-markers than English's.
        EXPECT_EQ(language->missing, std::vector<std::string>{});
        for (size_t i = 0; i < TextCount(); ++i) {
            const auto id = static_cast<TextId>(i);
            EXPECT_EQ(Mnemonics(language->texts[i]), Mnemonics(Text(2, id))) << TextKey(id) << "=" << language->texts[i];
            EXPECT_FALSE(language->texts[i].empty()) << TextKey(id);
        }
        for (const auto& [key, caption] : language->captions) {
            EXPECT_EQ(caption.find('&'), std::string::npos) << key << "=" << caption;  // the program adds "(&F)"
            EXPECT_FALSE(caption.empty()) << key;
        }
        ++checked;
    }
    std::cout << "checked " << checked << " language files in " << folder.string() << '\n';
    EXPECT_GT(checked, 0u) << "data/lang has no translation besides CN.ini, TC.ini and EN.ini";
}

}  // namespace
}  // namespace tq
