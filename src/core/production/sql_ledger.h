// The ledger written once for both databases: the schema, the statements and
// the rows, over a small connection seam that each backend fills in. The
// statements use $1, $2 ... which both PostgreSQL and SQLite take.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/production/production_ledger.h"

namespace tq {

using SqlValue = std::optional<std::string>;  // nullopt: NULL
using SqlRow = std::vector<SqlValue>;

class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    // Runs one statement; the rows it returns as texts. LedgerError on failure.
    virtual std::vector<SqlRow> Run(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
    // A write transaction that holds out every other writer until it ends.
    virtual void BeginExclusive() = 0;
    // The column type of a generated row number.
    virtual const char* IdColumnType() const = 0;
    // Whether an UPDATE may feed an INSERT in one statement (WITH ... INSERT).
    virtual bool TakesDataChangingWith() const = 0;
};

class SqlLedger final : public ProductionLedger {
public:
    // Creates the schema on first use; LedgerError for a newer one.
    explicit SqlLedger(std::unique_ptr<SqlConnection> connection);
    SerialAllocation AllocateSerials(const std::string& job, uint64_t first, uint64_t step, uint64_t count,
                                     const LedgerStation& station) override;
    void RecordRun(const RunRecord& run) override;
    std::vector<RunRecord> Query(const LogQuery& query) override;

private:
    void PrepareSchema();
    std::unique_ptr<SqlConnection> db_;
};

std::unique_ptr<SqlConnection> OpenSqliteConnection(const std::string& file);
// LedgerError (NotBuiltIn) when the program was built without libpq.
std::unique_ptr<SqlConnection> OpenPostgresConnection(const std::string& location);

}  // namespace tq
