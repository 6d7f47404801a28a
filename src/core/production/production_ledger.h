// The production ledger: the serial numbers given out per job and one
// record per programming run, kept in a database every process (and, with
// PostgreSQL, every station of a line) shares. Rows are plain structs so a
// window can list and filter them as the CLI exports them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tq {

// What the ledger could not do; `what()` is the database's own words.
class LedgerError : public std::runtime_error {
public:
    enum class Kind { Failed, NewerSchema, NotBuiltIn };
    LedgerError(Kind kind, const std::string& detail) : std::runtime_error(detail), kind(kind) {}
    Kind kind;
};

// The schema this program writes; a database of a higher version is refused.
inline constexpr int kLedgerSchemaVersion = 1;

// Numbers taken in one step: first, first + step, ... (count of them).
struct SerialAllocation {
    int64_t id = 0;
    std::string job;
    uint64_t first = 0;
    uint64_t step = 1;
    uint64_t count = 1;
};

// Who takes the numbers, and when (ISO 8601 UTC, "2026-12-10T05:44:10Z").
struct LedgerStation {
    std::string station;     // host name
    std::string programmer;  // programmer serial
    std::string time;
};

enum class RunResult { Passed, Failed, Unfinished };
const char* RunResultName(RunResult result);  // "passed", "failed", "unfinished"

// One run of one programmer. A row of the log is either a finished run or a
// number taken by a run that never finished (a process killed mid-run):
// result Unfinished, with only the allocation's facts filled.
struct RunRecord {
    std::string time;
    std::string station;
    std::string programmer;
    std::string chip;
    std::string chipId;       // hex
    std::string imageSha256;  // hex, of the image written (with its number)
    std::string job;
    std::optional<uint64_t> serial;
    std::optional<int64_t> allocationId;  // the number's allocation, when one was taken
    std::string steps;                    // e.g. "erase,write,verify"
    RunResult result = RunResult::Failed;
    int64_t durationMs = 0;
    std::string message;

    // A number that was taken and is in no good chip: never to be given out again.
    bool SerialVoid() const { return serial && result != RunResult::Passed; }
};

// What the log shows: all of it, or the rows of a job, of a station, since a time.
struct LogQuery {
    std::string job;
    std::string station;
    std::string since;  // ISO 8601 prefix compared as text, e.g. "2026-12-10"
    size_t limit = 0;   // 0: every row
};

class ProductionLedger {
public:
    virtual ~ProductionLedger() = default;

    // Takes `count` numbers of `job` in one atomic step and records who took
    // them. The first call for a job starts it at `first`; later calls go on
    // from where the job stands (a job's first value is fixed once).
    virtual SerialAllocation AllocateSerials(const std::string& job, uint64_t first, uint64_t step, uint64_t count,
                                             const LedgerStation& station) = 0;

    // Adds one finished run.
    virtual void RecordRun(const RunRecord& run) = 0;

    // Rows oldest first: the runs, and the numbers taken without a run.
    virtual std::vector<RunRecord> Query(const LogQuery& query) = 0;
};

// Where the ledger lives: "postgresql://..." or "postgres://..." (or a
// libpq "key=value" string starting with "host=" / "dbname="), else a
// SQLite file path.
bool IsPostgresLocation(const std::string& location);

// Opens (creating and upgrading its schema on first use) the ledger at
// `location`; LedgerError when it cannot.
std::unique_ptr<ProductionLedger> OpenProductionLedger(const std::string& location);

// The file name of the default ledger in the user's data folder.
inline constexpr const char* kLedgerFileName = "production.sqlite";
// The settings key ([tqprog] in dev.ini) that names another ledger.
inline constexpr const char* kProductionDbKey = "ProductionDb";

}  // namespace tq
