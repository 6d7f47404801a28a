// Dialog texts that the buffer commands read from the current language file.
#pragma once

#include <functional>
#include <string>

#include "core/texts/text_catalogue.h"

namespace tq {

// Reads key `key` of section `section` from the current language file, or
// returns `fallback` when the file or the key is missing.
using TextLookup =
    std::function<std::string(const std::string& section, const std::string& key, const std::string& fallback)>;

// A lookup without language file: every text is its built-in default.
inline TextLookup BuiltInTexts() {
    return [](const std::string&, const std::string&, const std::string& fallback) { return fallback; };
}

}  // namespace tq
