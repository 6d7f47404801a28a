// The automatic sequence: erase, write and verify, each if its option is
// set, with one verdict for the whole run and the run counters.
#pragma once

#include <string>

#include "core/operations/operation_display.h"

namespace tq {

class Session;
struct Dev_Inf_Struct;

OperationOutcome sbAutoClick(Session& session);

// "Suc:3  Fal:1": the run counters as a front-end may show them.
std::string AutoCounterText(const Dev_Inf_Struct& device);

}  // namespace tq
