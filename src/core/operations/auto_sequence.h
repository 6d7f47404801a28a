// The automatic sequence: erase, write and verify, each if its option is
// set, with one verdict for the whole run and the run counters.
#pragma once

#include <string>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;
struct Dev_Inf_Struct;

OperationOutcome sbAutoClick(OperationContext& operation);

// The auto options dialog: captions from the [AutoSel] section (read at
// every opening) and the boxes ticked from the options.
struct AutoSelDialog {
    std::string title;
    std::string idCheckCaption, eraseCaption, writeCaption, verifyCaption;
    bool idCheck = false, erase = false, write = false, verify = false;  // the box for IdCheck stays hidden
};
AutoSelDialog MenuAutoSelClick(OperationContext& operation, const LanguageTextLookup& lookup);
// Each box sets its option at once: 1 ticked, 0 not.
void chkAutoSelIdCheckClick(OperationContext& operation, bool checked);
void chkAutoSelEraseClick(OperationContext& operation, bool checked);
void chkAutoSelWriteClick(OperationContext& operation, bool checked);
void chkAutoSelVerifyClick(OperationContext& operation, bool checked);

// "Suc:3  Fal:1": the run counters as a front-end may show them.
std::string AutoCounterText(const Dev_Inf_Struct& device);

}  // namespace tq
