// Loading the language at start-up and choosing another one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts/language.h"

namespace tq {

struct OperationContext;

// What a front-end applies after the texts were loaded.
struct LanguageApplied {
    std::string windowCaption;     // title, four blanks, what the buffer holds
    std::string applicationTitle;  // the title alone
    // Check marks of the language menu items CN, TC, EN and the further
    // languages (LanguageMenuEntries() order): true sets a mark, false clears
    // it, empty leaves the item as it is.
    std::vector<std::optional<bool>> menuChecks;
    std::vector<AppliedCaption> captions;  // in DirectCaptions() order
    // The language menu was refused while an operation, download or update
    // ran: nothing changed and the rest is empty.
    bool refused = false;
};

// One item of the language menu.
struct LanguageMenuEntry {
    std::string control;  // Menu_Settings_Lang_CN, _TC, _EN, then _<code>
    std::string text;
    int32_t language;
};
// The original three named in `current`, then each installed further
// language by the name it gives itself, in the order of their codes; an
// item's index is its language value.
std::vector<LanguageMenuEntry> LanguageMenuEntries(int32_t current);

// Reads every text of the current language into DevLanguage, composes the
// title with DbVersion and the caption with what the buffer holds, shows the
// connection text (with the firmware version while connected) in status
// panel 2 and empties panel 0.
LanguageApplied LoadLanguage(OperationContext& context);

// Makes `language` (0 Simplified Chinese, 1 Traditional Chinese, 2 English,
// 3 and above a further language) the program's language, as its menu item
// does: marks that item only, reloads the texts and tells a connected "M500"
// programmer (command 0x14; English for a further language).
// Refused (nothing changes) while an operation, download or update runs.
LanguageApplied ChooseLanguage(OperationContext& context, int32_t language);

}  // namespace tq
