// The name a station goes by in the production log: the computer's host name.
#pragma once

#include <string>

namespace tq {

std::string StationName();

// The current time as the ledger keeps it: UTC, ISO 8601, milliseconds.
std::string LedgerTimeNow();

}  // namespace tq
