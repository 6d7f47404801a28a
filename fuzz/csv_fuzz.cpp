// User-chip CSV import: any file is imported or refused without harm, the
// rows taken are exactly the user rows afterwards, and what an export of
// them writes imports again to the same rows.
#include <string>
#include <vector>

#include "core/app/user_chips_csv.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_database_builder.h"
#include "core/chipdb/chip_table.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

namespace {

// One empty database for the whole run; each input leaves it without user rows.
tq::ChipDatabase& Database() {
    static const std::unique_ptr<tq::ChipDatabase> db = [] {
        auto made = tq::ChipDatabase::Open(Scratch("chips.db"), true);
        tq::CreateChipTables(*made);
        return made;
    }();
    return *db;
}

std::vector<std::string> UserLines(tq::ChipDatabase& db) {
    std::vector<std::string> lines;
    for (const tq::ChipRow& row : db.UserRowsQuery()) lines.push_back(tq::ChipTableLine(row));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tq::ChipDatabase& db = Database();
    const auto file = Scratch("in.csv");
    WriteBytes(file, data, size);
    const tq::UserChipImport first = tq::ImportUserChips(db, file, 2);
    const std::vector<std::string> rows = UserLines(db);
    Check(static_cast<int>(rows.size()) == first.imported, "the rows imported are the user rows");
    if (!first.error.empty()) Check(first.imported == 0 && first.refused.empty(), "a refused file adds nothing");
    for (const tq::RefusedRow& refused : first.refused)
        Check(refused.line >= 2 && !refused.reason.empty(), "a refused row names its line and reason");
    Check(!tq::ImportReportText(first, 2).empty(), "the report says something");

    const auto exported = Scratch("out.csv");
    const tq::UserChipExport written = tq::ExportUserChips(db, exported, 2);
    Check(written.error.empty() && written.exported == first.imported, "every user chip is exported");
    db.QueryExec("DELETE FROM [ChipName]");
    const tq::UserChipImport again = tq::ImportUserChips(db, exported, 2);
    Check(again.error.empty() && again.refused.empty() && again.imported == first.imported,
          "an exported file imports whole");
    Check(UserLines(db) == rows, "an exported file imports to the same rows");
    db.QueryExec("DELETE FROM [ChipName]");
    return 0;
}
