#include "core/texts/text_catalogue.h"

#include <array>

#include "core/texts/language_set.h"

namespace tq {
namespace {

struct Entry {
    std::string_view key, cn, tc, en;
};

constexpr Entry kEntries[] = {
#define TQ_TEXT(key, cn, tc, en) {#key, cn, tc, en},
#include "core/texts/text_catalogue.inc"
#undef TQ_TEXT
};

const Entry& EntryOf(TextId id) { return kEntries[static_cast<size_t>(id)]; }

}  // namespace

std::string Text(int32_t language, TextId id) {
    const Entry& entry = EntryOf(id);
    if (language >= kFirstFurtherLanguage) {
        const std::shared_ptr<const LanguageSet> languages = InstalledLanguages();
        const FurtherLanguage* further = languages ? languages->Find(language) : nullptr;
        const auto index = static_cast<size_t>(id);
        if (further && index < further->texts.size()) return further->texts[index];
    }
    return std::string(language == 0 ? entry.cn : language == 1 ? entry.tc : entry.en);
}

std::string Text(int32_t language, TextId id, std::initializer_list<std::string_view> values) {
    const std::string pattern = Text(language, id);
    std::string text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const size_t index = static_cast<size_t>(next - '1');
        if (pattern[i] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            text += *(values.begin() + index);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string_view TextKey(TextId id) { return EntryOf(id).key; }

size_t TextCount() { return std::size(kEntries); }

}  // namespace tq
