// The user-interface language: the language files CN.ini, TC.ini and EN.ini
// in the program folder, the texts of Dev_Language_Struct, the captions the
// front-ends put on their controls, the language menu, and the rule for the
// built-in texts that no language file carries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts/language_texts.h"
#include "core/texts/language_set.h"
#include "core/base/profile_file.h"

namespace tq {

struct TextContext;

// "CN.ini", "TC.ini" or "EN.ini" (any value but 0 and 1: a further language
// reads EN.ini for what its own file lacks).
const char* LanguageFileName(int32_t language);
// The language menu item of a language: 0 CN, 1 TC, 2 EN, then the installed
// further languages at their values; any other value is English's item.
int LanguageMenuItem(int32_t language);

// Language values are read through 80-byte buffers (120 for four texts).
inline constexpr size_t kLanguageTextBytes = 79;
inline constexpr size_t kLongLanguageTextBytes = 119;

// One field of Dev_Language_Struct: where it is read and its default.
struct LanguageField {
    const char* section;
    const char* key;
    const char* fallback;
    size_t maxBytes;
    std::string Dev_Language_Struct::*field;
};
std::span<const LanguageField> LanguageFields();  // all 49, in declaration order

// A caption the loader puts straight on a control: the text, followed by
// the accelerator suffix for a menu item. Labels of labelled edits are named
// "<edit>.EditLabel". Listed in the order they are applied.
struct DirectCaption {
    const char* section;
    const char* key;
    const char* fallback;
    const char* control;
    const char* suffix;
};
std::span<const DirectCaption> DirectCaptions();

// Keys that dialogs read from the language file each time they open.
struct DialogText {
    const char* section;
    const char* key;
    const char* fallback;
};
std::span<const DialogText> DialogTexts();

// The current language file, read once, for a dialog that reads its labels
// when it opens. A further language's captions come from its own file, and
// what it lacks from EN.ini, uncut.
class LanguageFile {
public:
    explicit LanguageFile(const TextContext& texts);
    std::string Text(std::string_view section, std::string_view key, std::string_view fallback,
                     size_t maxBytes = kLanguageTextBytes) const;
    // A key of DialogTexts() with its built-in default; any other key is a
    // programming error (std::logic_error).
    std::string Text(std::string_view section, std::string_view key) const;

private:
    ProfileFile file_;
    std::shared_ptr<const LanguageSet> languages_;
    const FurtherLanguage* further_ = nullptr;
};

// A caption for one control, as the front-end puts it on.
struct AppliedCaption {
    std::string control;
    std::string text;
};

// Reads every text of the current language into texts.DevLanguage (the
// title followed by two blanks and dbVersion) and returns the direct
// captions in DirectCaptions() order.
std::vector<AppliedCaption> ReadLanguageTexts(TextContext& texts, const std::string& dbVersion);

}  // namespace tq
