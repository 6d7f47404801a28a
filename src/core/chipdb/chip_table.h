// The readable source of the chip table: a comma-separated file with one
// chip per line. Lines starting with '#' are comments; a comment
// "# look-alikes: ID ID ..." lists the IDs that several chips share on
// purpose. The first other line names the columns (those of the chip table,
// in any order). A field holding a comma or a double quote is written in
// double quotes, its quotes doubled; every other field is plain text.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
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

// The fields of one line (without its line end).
std::vector<std::string> SplitChipTableLine(std::string_view line);
// A value as a field of a line: quoted when it holds a comma or a quote.
std::string ChipTableField(std::string_view value);
// A row as one line in the column order of kChipColumns, without line end.
std::string ChipTableLine(const ChipRow& row);
// Puts a field into the column it belongs to; false for a column that is
// not the chip table's, or a numeric column whose text is no decimal number.
bool SetChipColumn(ChipRow& row, std::string_view column, const std::string& value);

}  // namespace tq
