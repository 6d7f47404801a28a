#include "core/production/production_ledger.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <set>

#include "support/scratch_folder.h"

namespace tq {
namespace {

LedgerStation At(const std::string& time) { return {"bench-1", "P1", time}; }

RunRecord Finished(const std::string& job, const SerialAllocation& taken, RunResult result, const std::string& time) {
    RunRecord run;
    run.time = time;
    run.station = "bench-1";
    run.job = job;
    run.serial = taken.first;
    run.allocationId = taken.id;
    run.result = result;
    return run;
}

// A job counts from its first value by its step; another job has its own
// count; a failed chip keeps its number, void, and the next chip gets a new
// one; a number taken by a run that never ended shows as unfinished.
TEST(SqliteLedger, GivesEachNumberOnceAndKeepsTheSpentOnesVoid) {
    testing::ScratchFolder folder;
    const auto ledger = OpenProductionLedger(folder.File("ledger.sqlite"));
    const SerialAllocation a = ledger->AllocateSerials("A", 100, 5, 1, At("2026-01-01T10:00:00Z"));
    ledger->RecordRun(Finished("A", a, RunResult::Passed, "2026-01-01T10:00:01Z"));
    const SerialAllocation b = ledger->AllocateSerials("A", 999, 5, 1, At("2026-01-02T10:00:00Z"));
    ledger->RecordRun(Finished("A", b, RunResult::Failed, "2026-01-02T10:00:01Z"));
    const SerialAllocation c = ledger->AllocateSerials("A", 100, 5, 1, At("2026-01-03T10:00:00Z"));
    const SerialAllocation other = ledger->AllocateSerials("B", 1, 1, 1, At("2026-01-03T11:00:00Z"));
    ledger->RecordRun(Finished("B", other, RunResult::Passed, "2026-01-03T11:00:01Z"));
    const SerialAllocation range = ledger->AllocateSerials("A", 100, 5, 10, At("2026-01-04T10:00:00Z"));
    EXPECT_EQ((std::vector<uint64_t>{a.first, b.first, c.first, other.first, range.first}),
              (std::vector<uint64_t>{100, 105, 110, 1, 115}));
    EXPECT_EQ(ledger->AllocateSerials("A", 100, 5, 1, At("2026-01-05T10:00:00Z")).first, 165u);

    struct Case {
        LogQuery query;
        std::vector<std::pair<std::optional<uint64_t>, RunResult>> rows;
    };
    const Case cases[] = {
        {{"A", "", "", 0},
         {{100, RunResult::Passed}, {105, RunResult::Failed}, {110, RunResult::Unfinished}, {165, RunResult::Unfinished}}},
        {{"", "", "2026-01-03", 0}, {{110, RunResult::Unfinished}, {1, RunResult::Passed}, {165, RunResult::Unfinished}}},
        {{"B", "", "", 0}, {{1, RunResult::Passed}}},
        {{"", "bench-2", "", 0}, {}},
        {{"A", "", "", 2}, {{110, RunResult::Unfinished}, {165, RunResult::Unfinished}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::optional<uint64_t>, RunResult>> rows;
        for (const RunRecord& run : ledger->Query(c.query)) {
            rows.emplace_back(run.serial, run.result);
            EXPECT_EQ(run.SerialVoid(), run.result != RunResult::Passed) << *run.serial;
        }
        EXPECT_EQ(rows, c.rows) << c.query.job << "|" << c.query.since << "|" << c.query.limit;
    }
}

// A ledger written by a later program is refused, not changed.
TEST(SqliteLedger, RefusesANewerSchema) {
    testing::ScratchFolder folder;
    const std::string file = folder.File("ledger.sqlite");
    OpenProductionLedger(file);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE schema_version SET version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    try {
        OpenProductionLedger(file);
        ADD_FAILURE() << "a schema of version 99 was opened";
    } catch (const LedgerError& error) {
        EXPECT_EQ(error.kind, LedgerError::Kind::NewerSchema);
        EXPECT_STREQ(error.what(), "99");
    }
}

}  // namespace
}  // namespace tq
