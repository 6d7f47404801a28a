// Texts the buffer commands compose: dialog texts from the current language
// file and built-in texts in three languages.
#pragma once

#include <functional>
#include <string>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "core/buffer/buffer_context.h"

namespace tq {

// Reads key `key` of section `section` from the current language file, or
// returns `fallback` when the file or the key is missing.
using TextLookup =
    std::function<std::string(const std::string& section, const std::string& key, const std::string& fallback)>;

// A lookup without language file: every text is its built-in default.
inline TextLookup BuiltInTexts() {
    return [](const std::string&, const std::string&, const std::string& fallback) { return fallback; };
}

// Built-in texts come as Simplified Chinese, Traditional Chinese and English,
// picked by the buffer's language.
inline std::string ByLanguage(const BufferContext& buffer, const char* simplified, const char* traditional,
                              const char* english) {
    return Triplet(buffer.Texts.Language, simplified, traditional, english);
}

}  // namespace tq
