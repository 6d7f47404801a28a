// The ledger's SQLite file: several processes of one PC share it. WAL lets
// readers go on while one writes; BEGIN IMMEDIATE takes the write lock at
// the start, so two allocations never interleave; the busy timeout makes a
// second process wait for the lock instead of failing.
#include <sqlite3.h>

#include "core/production/sql_ledger.h"

namespace tq {
namespace {

constexpr int kBusyTimeoutMs = 30000;

class SqliteConnection final : public SqlConnection {
public:
    explicit SqliteConnection(const std::string& file) {
        const int status = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (status != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(status);
            sqlite3_close(db_);
            throw LedgerError(LedgerError::Kind::Failed, file + ": " + why);
        }
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        Run("PRAGMA journal_mode=WAL", {});
        Run("PRAGMA synchronous=NORMAL", {});
    }
    ~SqliteConnection() override { sqlite3_close(db_); }

    std::vector<SqlRow> Run(const std::string& sql, const std::vector<SqlValue>& params) override {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) Fail();
        struct Finalize {
            sqlite3_stmt* s;
            ~Finalize() { sqlite3_finalize(s); }
        } finalize{statement};
        // SQLite numbers "$n" in the order they first appear: bind each by its name.
        for (size_t i = 0; i < params.size(); ++i) {
            const int at = sqlite3_bind_parameter_index(statement, ("$" + std::to_string(i + 1)).c_str());
            if (at == 0) continue;
            const int bound = params[i] ? sqlite3_bind_text(statement, at, params[i]->c_str(),
                                                            static_cast<int>(params[i]->size()), SQLITE_TRANSIENT)
                                        : sqlite3_bind_null(statement, at);
            if (bound != SQLITE_OK) Fail();
        }
        std::vector<SqlRow> rows;
        for (;;) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_DONE) break;
            if (step != SQLITE_ROW) Fail();
            SqlRow& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
                row.push_back(text ? SqlValue(text) : SqlValue());
            }
        }
        return rows;
    }
    void BeginExclusive() override { Run("BEGIN IMMEDIATE", {}); }
    const char* IdColumnType() const override { return "INTEGER PRIMARY KEY AUTOINCREMENT"; }
    bool TakesDataChangingWith() const override { return false; }

private:
    [[noreturn]] void Fail() { throw LedgerError(LedgerError::Kind::Failed, sqlite3_errmsg(db_)); }
    sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenSqliteConnection(const std::string& file) {
    return std::make_unique<SqliteConnection>(file);
}

}  // namespace tq
