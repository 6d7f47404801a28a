// Further languages for tests: the small fixture files of tests/fixtures/lang
// (German with a few keys, Brazilian Portuguese with fewer, Russian with long
// tool button captions), and the language
// files shipped beside the build's programs.
#pragma once

#include <filesystem>
#include <memory>

#include "core/texts/language_set.h"

namespace tq::testing {

inline std::filesystem::path FixtureLanguageFolder() {
    return std::filesystem::path(TQ_SOURCE_DIR) / "tests" / "fixtures" / "lang";
}

inline std::shared_ptr<const LanguageSet> LanguagesOf(const std::filesystem::path& folder) {
    const std::filesystem::path folders[] = {folder};
    return std::make_shared<const LanguageSet>(ScanLanguageFolders(folders).languages);
}

// The shipped translations when the build has any, else the fixtures: what
// the window tests and screenshots run over in every language.
inline std::shared_ptr<const LanguageSet> ShippedOrFixtureLanguages() {
    std::shared_ptr<const LanguageSet> shipped = LanguagesOf(TQ_BIN_DIR);
    return shipped->languages().empty() ? LanguagesOf(FixtureLanguageFolder()) : shipped;
}

}  // namespace tq::testing
