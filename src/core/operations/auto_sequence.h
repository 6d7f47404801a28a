// The automatic sequence: erase, write and verify, each if its option is
// set, with one verdict for the whole run and the run counters.
#pragma once

#include <string>

#include "core/operations/operation_display.h"

namespace tq {

class Session;
struct Dev_Inf_Struct;

OperationOutcome sbAutoClick(Session& session);

// The auto options dialog: captions from the [AutoSel] section (read at
// every opening) and the boxes ticked from the options.
struct AutoSelDialog {
    std::string title;
    std::string idCheckCaption, eraseCaption, writeCaption, verifyCaption;
    bool idCheck = false, erase = false, write = false, verify = false;  // the box for IdCheck stays hidden
};
AutoSelDialog MenuAutoSelClick(Session& session, const LanguageTextLookup& lookup);
// Each box sets its option at once: 1 ticked, 0 not.
void chkAutoSelIdCheckClick(Session& session, bool checked);
void chkAutoSelEraseClick(Session& session, bool checked);
void chkAutoSelWriteClick(Session& session, bool checked);
void chkAutoSelVerifyClick(Session& session, bool checked);

// "Suc:3  Fal:1": the run counters as a front-end may show them.
std::string AutoCounterText(const Dev_Inf_Struct& device);

}  // namespace tq
