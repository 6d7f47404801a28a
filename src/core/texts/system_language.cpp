#include "core/texts/system_language.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/texts/language_set.h"

namespace tq {
namespace {

bool IsChinese(std::string_view locale) {
    return locale.substr(0, 2) == "zh" &&
           (locale.size() == 2 || locale[2] == '_' || locale[2] == '-' || locale[2] == '.' || locale[2] == '@');
}

// The language a locale or code names, nullopt where none does.
std::optional<int32_t> MatchLocale(std::string_view locale, const LanguageSet* languages) {
    // language[_territory][.codeset][@modifier]
    if (IsChinese(locale)) {
        const std::string_view rest = locale.substr(2, locale.find_first_of(".@") - 2);
        for (std::string_view traditional : {"TW", "HK", "MO", "Hant"})
            if (rest.find(traditional) != std::string_view::npos) return 1;
        return 0;
    }
    const std::string code = NormalisedLanguageCode(locale.substr(0, locale.find_first_of(".@")));
    const std::string language = code.substr(0, code.find('-'));
    if (language == "en") return 2;
    if (!languages || language.empty()) return std::nullopt;
    if (const auto exact = languages->ValueOf(code)) return exact;
    if (const auto alone = languages->ValueOf(language)) return alone;
    for (const FurtherLanguage& further : languages->languages())
        if (further.code.substr(0, further.code.find('-')) == language) return languages->ValueOf(further.code);
    return std::nullopt;
}

}  // namespace

int32_t LanguageForLocale(std::string_view locale, const LanguageSet* languages) {
    return MatchLocale(locale, languages).value_or(2);
}

int32_t LanguageForLocale(std::string_view locale) { return LanguageForLocale(locale, InstalledLanguages().get()); }

std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang})
        if (value && *value) return value;
    return {};
}

int32_t SystemLanguage() {
    std::string_view locale = MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
#ifdef _WIN32
    // Windows sets none of them: its user locale ("zh-TW") says it.
    std::string name;
    wchar_t wide[LOCALE_NAME_MAX_LENGTH] = {};
    if (locale.empty() && GetUserDefaultLocaleName(wide, LOCALE_NAME_MAX_LENGTH) > 0) {
        for (const wchar_t* c = wide; *c; ++c) name += static_cast<char>(*c < 0x80 ? *c : '?');
        locale = name;
    }
#endif
    return LanguageForLocale(locale);
}

std::optional<int32_t> ParseLanguageChoice(std::string_view text) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '2') return text[0] - '0';
    if (text == "cn" || text == "CN") return 0;
    if (text == "tc" || text == "TC") return 1;
    if (text.empty() || text.find_first_of(".@") != std::string_view::npos) return std::nullopt;
    return MatchLocale(text, InstalledLanguages().get());
}

int32_t StoredLanguage(int32_t number, std::string_view code, int32_t localeChoice) {
    if (!code.empty()) {
        const std::shared_ptr<const LanguageSet> languages = InstalledLanguages();
        const std::optional<int32_t> value = languages ? languages->ValueOf(code) : std::nullopt;
        return value.value_or(localeChoice);
    }
    return number >= 0 && number <= 2 ? number : localeChoice;
}

StoredLanguageKeys StoredLanguageOf(int32_t language) {
    const std::shared_ptr<const LanguageSet> languages = InstalledLanguages();
    if (const FurtherLanguage* further = languages ? languages->Find(language) : nullptr) return {2, further->code};
    return {language >= 0 && language <= 2 ? language : 2, {}};
}

}  // namespace tq
