// The readable source of the chip table: a comma-separated file with one
// chip per line. Lines starting with '#' are comments; a comment
// "# look-alikes: ID ID ..." lists the IDs that several chips share on
// purpose. The first other line names the columns (those of the chip table,
// in any order). Fields are plain text without quoting.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/chipdb/chip_row.h"

namespace tq {

struct ChipTable {
    std::vector<ChipRow> rows;
    std::set<std::string> lookAlikes;
};

// Throws std::runtime_error naming the file and line of the first fault:
// an unknown or missing column, a line with the wrong number of fields, a
// numeric column that is not a decimal number.
ChipTable ReadChipTable(const std::filesystem::path& csv);

}  // namespace tq
