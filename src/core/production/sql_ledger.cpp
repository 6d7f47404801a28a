#include "core/production/sql_ledger.h"

#include <algorithm>

namespace tq {
namespace {

// Ends a transaction: rolled back unless committed (an error on the way
// leaves the database as it was).
class Transaction {
public:
    explicit Transaction(SqlConnection& db) : db_(db) { db_.BeginExclusive(); }
    ~Transaction() {
        if (open_) {
            try {
                db_.Run("ROLLBACK", {});
            } catch (const LedgerError&) {
                // The connection is gone; the database drops the transaction itself.
            }
        }
    }
    void Commit() {
        db_.Run("COMMIT", {});
        open_ = false;
    }

private:
    SqlConnection& db_;
    bool open_ = true;
};

std::string Replace(std::string text, const std::string& marker, const std::string& with) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + with.size()))
        text.replace(at, marker.size(), with);
    return text;
}

// One statement each. A job's counter row holds the next number; an
// allocation row says who took which numbers; a run row is a finished run.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS serial_jobs (job TEXT PRIMARY KEY, next_value BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS serial_allocations (id @ID, job TEXT NOT NULL, first_value BIGINT NOT NULL,"
    " step BIGINT NOT NULL, count BIGINT NOT NULL, station TEXT NOT NULL, programmer TEXT NOT NULL,"
    " allocated_at TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS production_runs (id @ID, time TEXT NOT NULL, station TEXT NOT NULL,"
    " programmer TEXT NOT NULL, chip TEXT NOT NULL, chip_id TEXT NOT NULL, image_sha256 TEXT NOT NULL,"
    " job TEXT NOT NULL, serial BIGINT, allocation_id BIGINT REFERENCES serial_allocations (id),"
    " steps TEXT NOT NULL, result TEXT NOT NULL, duration_ms BIGINT NOT NULL, message TEXT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS production_runs_allocation ON production_runs (allocation_id)",
    "CREATE INDEX IF NOT EXISTS production_runs_time ON production_runs (time)",
};

const char* const kStartJob =
    "INSERT INTO serial_jobs (job, next_value) VALUES ($1, $2) ON CONFLICT (job) DO NOTHING";
const char* const kTakeNumbers =
    "UPDATE serial_jobs SET next_value = next_value + $2 WHERE job = $1 RETURNING next_value - $2";
const char* const kRecordAllocation =
    "INSERT INTO serial_allocations (job, first_value, step, count, station, programmer, allocated_at)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7) RETURNING id";
// Both in one statement where the database takes it.
const char* const kTakeAndRecord =
    "WITH taken AS (UPDATE serial_jobs SET next_value = next_value + $2 WHERE job = $1"
    " RETURNING next_value - $2 AS first_value)"
    " INSERT INTO serial_allocations (job, first_value, step, count, station, programmer, allocated_at)"
    " SELECT $1, first_value, CAST($3 AS BIGINT), CAST($4 AS BIGINT), CAST($5 AS TEXT), CAST($6 AS TEXT),"
    " CAST($7 AS TEXT) FROM taken RETURNING id, first_value";

// The runs, then the single numbers no run finished, under the same filters.
const char* const kLogRows =
    "SELECT time, station, programmer, chip, chip_id, image_sha256, job, serial, allocation_id, steps, result,"
    " duration_ms, message FROM production_runs"
    " WHERE (CAST($1 AS TEXT) = '' OR job = $1) AND (CAST($2 AS TEXT) = '' OR station = $2)"
    " AND (CAST($3 AS TEXT) = '' OR time >= $3)"
    " UNION ALL"
    " SELECT a.allocated_at, a.station, a.programmer, '', '', '', a.job, a.first_value, a.id, '', 'unfinished', 0, ''"
    " FROM serial_allocations a WHERE a.count = 1"
    " AND NOT EXISTS (SELECT 1 FROM production_runs r WHERE r.allocation_id = a.id)"
    " AND (CAST($1 AS TEXT) = '' OR a.job = $1) AND (CAST($2 AS TEXT) = '' OR a.station = $2)"
    " AND (CAST($3 AS TEXT) = '' OR a.allocated_at >= $3)";

SqlValue Number(uint64_t value) { return std::to_string(value); }
SqlValue Number(int64_t value) { return std::to_string(value); }

uint64_t UnsignedOf(const SqlValue& value) { return value ? std::stoull(*value) : 0; }
int64_t SignedOf(const SqlValue& value) { return value ? std::stoll(*value) : 0; }

RunResult ResultOf(const std::string& name) {
    if (name == "passed") return RunResult::Passed;
    if (name == "unfinished") return RunResult::Unfinished;
    return RunResult::Failed;
}

RunRecord RecordOf(const SqlRow& row) {
    const auto text = [&row](size_t i) { return row[i].value_or(std::string()); };
    RunRecord run;
    run.time = text(0);
    run.station = text(1);
    run.programmer = text(2);
    run.chip = text(3);
    run.chipId = text(4);
    run.imageSha256 = text(5);
    run.job = text(6);
    if (row[7]) run.serial = UnsignedOf(row[7]);
    if (row[8]) run.allocationId = SignedOf(row[8]);
    run.steps = text(9);
    run.result = ResultOf(text(10));
    run.durationMs = SignedOf(row[11]);
    run.message = text(12);
    return run;
}

}  // namespace

const char* RunResultName(RunResult result) {
    switch (result) {
        case RunResult::Passed: return "passed";
        case RunResult::Failed: return "failed";
        case RunResult::Unfinished: return "unfinished";
    }
    return "failed";
}

SqlLedger::SqlLedger(std::unique_ptr<SqlConnection> connection) : db_(std::move(connection)) { PrepareSchema(); }

void SqlLedger::PrepareSchema() {
    Transaction transaction(*db_);
    for (const char* statement : kSchema) db_->Run(Replace(statement, "@ID", db_->IdColumnType()));
    const std::vector<SqlRow> rows = db_->Run("SELECT MAX(version) FROM schema_version");
    const SqlValue found = rows.empty() ? SqlValue() : rows.front().front();
    if (!found) {
        db_->Run("INSERT INTO schema_version (version) VALUES ($1)", {Number(int64_t{kLedgerSchemaVersion})});
    } else if (SignedOf(found) > kLedgerSchemaVersion) {
        throw LedgerError(LedgerError::Kind::NewerSchema, *found);
    }
    transaction.Commit();
}

SerialAllocation SqlLedger::AllocateSerials(const std::string& job, uint64_t first, uint64_t step, uint64_t count,
                                            const LedgerStation& station) {
    SerialAllocation taken;
    taken.job = job;
    taken.step = step;
    taken.count = count;
    const SqlValue span = Number(step * count);
    const std::vector<SqlValue> facts = {job, span, Number(step), Number(count), station.station, station.programmer,
                                         station.time};
    db_->Run(kStartJob, {job, Number(first)});
    if (db_->TakesDataChangingWith()) {
        // The counter's row lock orders the stations: one statement, nothing between taking and recording.
        const std::vector<SqlRow> rows = db_->Run(kTakeAndRecord, facts);
        if (rows.empty()) throw LedgerError(LedgerError::Kind::Failed, "no number taken for job " + job);
        taken.id = SignedOf(rows[0][0]);
        taken.first = UnsignedOf(rows[0][1]);
        return taken;
    }
    // The write lock of the transaction orders the processes instead.
    Transaction transaction(*db_);
    const std::vector<SqlRow> next = db_->Run(kTakeNumbers, {job, span});
    if (next.empty()) throw LedgerError(LedgerError::Kind::Failed, "no number taken for job " + job);
    taken.first = UnsignedOf(next[0][0]);
    std::vector<SqlValue> row = facts;
    row[1] = Number(taken.first);
    taken.id = SignedOf(db_->Run(kRecordAllocation, row).at(0).at(0));
    transaction.Commit();
    return taken;
}

void SqlLedger::RecordRun(const RunRecord& run) {
    db_->Run(
        "INSERT INTO production_runs (time, station, programmer, chip, chip_id, image_sha256, job, serial,"
        " allocation_id, steps, result, duration_ms, message)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13)",
        {run.time, run.station, run.programmer, run.chip, run.chipId, run.imageSha256, run.job,
         run.serial ? Number(*run.serial) : SqlValue(), run.allocationId ? Number(*run.allocationId) : SqlValue(),
         run.steps, std::string(RunResultName(run.result)), Number(run.durationMs), run.message});
}

std::vector<RunRecord> SqlLedger::Query(const LogQuery& query) {
    std::string sql = kLogRows;
    // The newest `limit` rows, shown oldest first like the rest.
    sql += query.limit ? " ORDER BY 1 DESC, 9 DESC LIMIT " + std::to_string(query.limit) : " ORDER BY 1, 9";
    std::vector<RunRecord> runs;
    for (const SqlRow& row : db_->Run(sql, {query.job, query.station, query.since})) runs.push_back(RecordOf(row));
    if (query.limit) std::reverse(runs.begin(), runs.end());
    return runs;
}

bool IsPostgresLocation(const std::string& location) {
    for (const char* start : {"postgresql://", "postgres://", "host=", "dbname="})
        if (location.rfind(start, 0) == 0) return true;
    return false;
}

std::unique_ptr<ProductionLedger> OpenProductionLedger(const std::string& location) {
    return std::make_unique<SqlLedger>(IsPostgresLocation(location) ? OpenPostgresConnection(location)
                                                                    : OpenSqliteConnection(location));
}

}  // namespace tq
