// The program's own texts: every message, status line, caption, title and
// log line that is not read from a language file is one keyed entry of
// text_catalogue.inc with its Simplified Chinese, Traditional Chinese and
// English wording. Code names the key; it never spells a text out.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tq {

enum class TextId : uint16_t {
#define TQ_TEXT(key, cn, tc, en) key,
#include "core/texts/text_catalogue.inc"
#undef TQ_TEXT
};

// The text of `id` in `language`: 0 Simplified Chinese, 1 Traditional
// Chinese, 3 and above an installed further language (language_set.h), any
// other value English.
std::string Text(int32_t language, TextId id);

// The same with %1, %2 ... %9 replaced by `values` in order, so that each
// language can place them where its grammar wants them. A marker without a
// value stays as it is.
std::string Text(int32_t language, TextId id, std::initializer_list<std::string_view> values);

// The entry's key as written in the catalogue ("ProjectDownloadFailed").
std::string_view TextKey(TextId id);

// How many entries the catalogue has; TextId values run from 0 to this less one.
size_t TextCount();

// Text() bound to one language, for a routine that composes many texts.
class TextPicker {
public:
    explicit TextPicker(int32_t language) : language_(language) {}
    std::string operator()(TextId id) const { return Text(language_, id); }
    std::string operator()(TextId id, std::initializer_list<std::string_view> values) const {
        return Text(language_, id, values);
    }
    int32_t language() const { return language_; }

private:
    int32_t language_;
};

}  // namespace tq
