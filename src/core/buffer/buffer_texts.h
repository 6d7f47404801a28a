// Texts the buffer commands compose: dialog texts from the current language
// file, built-in texts in three languages, and the time prefix of messages.
#pragma once

#include <functional>
#include <string>

#include "core/session.h"

namespace tq {

// Reads key `key` of section `section` from the current language file, or
// returns `fallback` when the file or the key is missing.
using TextLookup =
    std::function<std::string(const std::string& section, const std::string& key, const std::string& fallback)>;

// A lookup without language file: every text is its built-in default.
inline TextLookup BuiltInTexts() {
    return [](const std::string&, const std::string&, const std::string& fallback) { return fallback; };
}

// Built-in texts come as Simplified Chinese, Traditional Chinese and English;
// Language 0 and 1 pick the first two, any other value English.
inline std::string ByLanguage(const Session& session, const char* simplified, const char* traditional,
                              const char* english) {
    switch (session.DevInf.Language) {
        case 0: return simplified;
        case 1: return traditional;
        default: return english;
    }
}

// The local time as "hh:mm:ss " that starts a timed message.
std::string LocalTimePrefix();

}  // namespace tq
