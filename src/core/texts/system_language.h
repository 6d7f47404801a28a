// The language a person's system asks for, used when dev.ini names none:
// the locale of messages (LC_ALL, else LC_MESSAGES, else LANG).
#pragma once

#include <cstdint>
#include <string_view>

namespace tq {

// 0 for Simplified Chinese locales (zh_CN, zh_SG, zh, zh_Hans...), 1 for
// Traditional Chinese ones (zh_TW, zh_HK, zh_MO, zh_Hant...), 2 for any other.
int32_t LanguageForLocale(std::string_view locale);

// The locale of messages as the C library would choose it: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty.
std::string_view MessagesLocale(const char* lcAll, const char* lcMessages, const char* lang);

// LanguageForLocale of this process's environment.
int32_t SystemLanguage();

}  // namespace tq
