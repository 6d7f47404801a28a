// The production log as a comma-separated file, for a spreadsheet or a
// customer's records: a header line, then one line per row.
#pragma once

#include <string>
#include <vector>

#include "core/production/production_ledger.h"

namespace tq {

// The column names, in order; the JSON export uses them as keys.
const std::vector<std::string>& LogColumns();

// The row's fields as texts, in the order of LogColumns (empty for a missing serial).
std::vector<std::string> LogFields(const RunRecord& run);

// Header and rows, lines ending in CR LF; a field with a comma, a quote or a
// line break is quoted, its quotes doubled.
std::string LogCsv(const std::vector<RunRecord>& runs);

}  // namespace tq
