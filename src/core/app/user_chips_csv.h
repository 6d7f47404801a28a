// The user chips as a comma-separated file with the columns of the factory
// chip list (data/chips.csv): exported to pass them to another computer or
// keep them, imported there. An import adds each row as a user chip and
// names every row it refuses, with the reason; the others still go in.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tq {

class ChipDatabase;

struct UserChipExport {
    std::string error;  // the file could not be written (it stays as it was)
    int exported = 0;
};

// Writes every user chip, one line each, after the header line.
UserChipExport ExportUserChips(ChipDatabase& db, const std::filesystem::path& file, int language);

struct RefusedRow {
    int line = 0;          // in the file, from 1
    std::string chipName;  // as the row gives it (may be empty)
    std::string reason;
};

struct UserChipImport {
    std::string error;  // the file is unreadable or has no header of the chip columns: nothing was added
    int imported = 0;
    std::vector<RefusedRow> refused;
};

// Adds the rows of `file` as user chips (their Adder becomes "USER"). A row
// is refused when it has the wrong number of fields, a column that is no
// number or outside what the programmer takes, an empty or unusable name, a
// name that already names a chip, an unknown chip type, a chip ID that is
// not six hex digits, or a maker with a control character. Database errors
// throw DatabaseError; the rows of that import are then all rolled back.
UserChipImport ImportUserChips(ChipDatabase& db, const std::filesystem::path& file, int language);

// What an import did, for a person: the count, then one line per refused
// row ("line 4 (MY25Q64): a chip of this name already exists").
std::string ImportReportText(const UserChipImport& report, int language);

}  // namespace tq
