#include "core/texts/system_language.h"

#include <cstdlib>

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
    return LanguageForLocale(
        MessagesLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")));
}

}  // namespace tq
