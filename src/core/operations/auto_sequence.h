// The automatic sequence: erase, write and verify, each if its option is
// set, with one verdict for the whole run and the run counters.
#pragma once

#include <string>

#include "core/operations/operation_display.h"

namespace tq {

struct OperationContext;
struct Dev_Inf_Struct;
struct OperationOptions;

OperationOutcome RunAutoSequence(OperationContext& operation);

// The auto options dialog: captions from the [AutoSel] section (read at
// every opening) and the boxes ticked from the options.
struct AutoSelDialog {
    std::string title;
    std::string idCheckCaption, eraseCaption, writeCaption, verifyCaption;
    bool idCheck = false, erase = false, write = false, verify = false;  // the box for IdCheck stays hidden
    std::string verifyTwiceCaption;
    bool verifyTwice = false;
};
// The verify-twice box is the program's own: its caption is in `language`.
AutoSelDialog DescribeAutoOptions(const OperationOptions& options, const LanguageTextLookup& lookup, int32_t language);

// The steps the automatic sequence runs, as the operation record keeps them.
struct AutoSteps {
    bool idCheck = false, erase = false, write = false, verify = false;
    bool verifyTwice = false;
};
AutoSteps AutoStepsOf(const OperationOptions& options);
// Takes effect at once (a ticked box of the dialog is stored as 1).
void SetAutoSteps(OperationOptions& options, const AutoSteps& steps);

// "Suc:3  Fal:1": the run counters as a front-end may show them.
std::string AutoCounterText(const Dev_Inf_Struct& device);

}  // namespace tq
