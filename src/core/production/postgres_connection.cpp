// The ledger in a PostgreSQL database that every station of a line shares.
// Built only where libpq was found; elsewhere opening one says so.
#include "core/production/sql_ledger.h"

#ifdef TQPROG_HAVE_LIBPQ
#include <libpq-fe.h>
#endif

namespace tq {

#ifdef TQPROG_HAVE_LIBPQ
namespace {

// Any number taken for the schema lock; the same in every process.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(2418240601)";

// libpq's message without its closing line break (the caller ends the line).
std::string MessageOf(const PGconn* db) {
    std::string message = PQerrorMessage(db);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    return message;
}

class PostgresConnection final : public SqlConnection {
public:
    explicit PostgresConnection(const std::string& location) : db_(PQconnectdb(location.c_str())) {
        if (PQstatus(db_) != CONNECTION_OK) {
            const std::string why = MessageOf(db_);
            PQfinish(db_);
            throw LedgerError(LedgerError::Kind::Failed, why);
        }
        Run("SET client_min_messages = warning", {});
    }
    ~PostgresConnection() override { PQfinish(db_); }

    std::vector<SqlRow> Run(const std::string& sql, const std::vector<SqlValue>& params) override {
        std::vector<const char*> values;
        for (const SqlValue& value : params) values.push_back(value ? value->c_str() : nullptr);
        PGresult* result = PQexecParams(db_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                        nullptr, nullptr, 0);
        struct Clear {
            PGresult* r;
            ~Clear() { PQclear(r); }
        } clear{result};
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw LedgerError(LedgerError::Kind::Failed, MessageOf(db_));
        std::vector<SqlRow> rows(static_cast<size_t>(PQntuples(result)));
        for (int r = 0; r < PQntuples(result); ++r)
            for (int c = 0; c < PQnfields(result); ++c)
                rows[static_cast<size_t>(r)].push_back(PQgetisnull(result, r, c) ? SqlValue()
                                                                                 : SqlValue(PQgetvalue(result, r, c)));
        return rows;
    }
    // Row locks order the allocations; this lock orders the schema's creation.
    void BeginExclusive() override {
        Run("BEGIN", {});
        Run(kSchemaLock, {});
    }
    const char* IdColumnType() const override { return "BIGSERIAL PRIMARY KEY"; }
    bool TakesDataChangingWith() const override { return true; }

private:
    PGconn* db_;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgresConnection(const std::string& location) {
    return std::make_unique<PostgresConnection>(location);
}

#else

std::unique_ptr<SqlConnection> OpenPostgresConnection(const std::string&) {
    throw LedgerError(LedgerError::Kind::NotBuiltIn, "this build has no PostgreSQL client library (libpq)");
}

#endif

}  // namespace tq
