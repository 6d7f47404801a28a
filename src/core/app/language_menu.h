// Loading the language at start-up and the three language menu items.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts/language.h"

namespace tq {

class Session;

// What a front-end applies after the texts were loaded.
struct LanguageApplied {
    std::string windowCaption;     // title, four blanks, the open dialog's file name
    std::string applicationTitle;  // the title alone
    // Check marks of the language menu items CN, TC, EN: true sets a mark,
    // false clears it, empty leaves the item as it is.
    std::array<std::optional<bool>, 3> menuChecks;
    std::vector<AppliedCaption> captions;  // in DirectCaptions() order
    // The language menu was refused while an operation, download or update
    // ran: nothing changed and the rest is empty.
    bool refused = false;
};

// Reads every text of the current language into DevLanguage, composes the
// title with DbVersion, shows the connection text in status panel 2 and
// empties panel 0. openFileName is the open-file dialog's current file name.
LanguageApplied LoadLanguage(Session& session, std::string_view openFileName);

// A language menu item: makes index the language, marks its item only,
// reloads the texts and tells a connected "M500" programmer (command 0x14).
// Refused (nothing changes) while an operation, download or update runs.
LanguageApplied SelectLanguage(Session& session, int32_t index, std::string_view openFileName);
LanguageApplied Menu_Settings_Lang_CNClick(Session& session, std::string_view openFileName);
LanguageApplied Menu_Settings_Lang_TCClick(Session& session, std::string_view openFileName);
LanguageApplied Menu_Settings_Lang_ENClick(Session& session, std::string_view openFileName);

}  // namespace tq
