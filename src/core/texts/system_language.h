// The language a person's system asks for, used when dev.ini names none:
// the locale of messages (LC_ALL, else LC_MESSAGES, else LANG); and the
// language a command line or dev.ini names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

class LanguageSet;

// 0 for Simplified Chinese locales (zh_CN, zh_SG, zh, zh_Hans...), 1 for
// Traditional Chinese ones (zh_TW, zh_HK, zh_MO, zh_Hant...); a further
// language of `languages` whose code is the locale's language and territory
// (pt_BR -> pt-BR), else its language alone (de_AT -> de), else the first with
// that language (pt_PT -> pt-BR when there is no pt); 2 for any other.
int32_t LanguageForLocale(std::string_view locale, const LanguageSet* languages);
// The same with the installed further languages.
int32_t LanguageForLocale(std::string_view locale);

// The locale of messages as the C library would choose it: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty.
std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// LanguageForLocale of this process's environment.
int32_t SystemLanguage();

// What --lang names: 0, 1 or 2, a code of the original three (en, zh-CN,
// zh-TW, cn, tc) or of an installed language (de, pt-BR, pt_BR, pt); nullopt
// for anything else.
std::optional<int32_t> ParseLanguageChoice(std::string_view text);

// The language dev.ini keeps: the code of a further language (stable when
// files come and go) when there is one, else the number 0, 1 or 2. A code no
// installed file has, or another number, gives `localeChoice`.
int32_t StoredLanguage(int32_t number, std::string_view code, int32_t localeChoice);
// What dev.ini keeps for a language: the number (a further language keeps 2,
// English, for readers that know only the original three) and the code
// (empty for the original three).
struct StoredLanguageKeys {
    int32_t number;
    std::string code;
};
StoredLanguageKeys StoredLanguageOf(int32_t language);

}  // namespace tq
