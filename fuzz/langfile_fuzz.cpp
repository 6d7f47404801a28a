// Further-language files: any text is taken, passed over or refused with a
// reason. A file taken gives every catalogue text, the program speaks them
// once the language is installed, and its code is normal and finds it again.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts/language_set.h"
#include "core/texts/text_catalogue.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    std::optional<tq::LanguageFileProblem> problem;
    std::optional<tq::FurtherLanguage> language = tq::ParseLanguageFile(content, "xx.ini", problem);
    if (!language) return 0;
    Check(!problem, "a file taken has no problem");
    Check(language->texts.size() == tq::TextCount(), "a file taken has every text");
    Check(tq::NormalisedLanguageCode(language->code) == language->code, "the code is kept in normal form");

    const tq::ScopedLanguages installed(std::make_shared<const tq::LanguageSet>(std::vector{*language}));
    const auto set = tq::InstalledLanguages();
    Check(set->ValueOf(language->code) == tq::kFirstFurtherLanguage, "the code finds the language");
    for (size_t i = 0; i < tq::TextCount(); ++i) {
        const auto id = static_cast<tq::TextId>(i);
        Check(tq::Text(tq::kFirstFurtherLanguage, id) == language->texts[i], "the program speaks the file's texts");
    }
    return 0;
}
