#include "core/texts/system_language.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tq {

int32_t LanguageForLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    if (locale.substr(0, 2) != "zh" || (locale.size() > 2 && locale[2] != '_' && locale[2] != '-' &&
                                        locale[2] != '.' && locale[2] != '@'))
        return 2;
    const std::string_view rest = locale.substr(2, locale.find_first_of(".@") - 2);
    for (std::string_view traditional : {"TW", "HK", "MO", "Hant"})
        if (rest.find(traditional) != std::string_view::npos) return 1;
    return 0;
}

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

}  // namespace tq
