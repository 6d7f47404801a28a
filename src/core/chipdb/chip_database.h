// The chip database login.dat: an SQLite file with the tables [ChipName]
// (one row per chip), [ChipType] (the type texts with one "Enable" column per
// programmer platform) and [DevInfo] (the database version).
//
// Every statement the program issues is a named routine below. Values are
// bound as parameters, so a name, maker or ID holding a quote is stored and
// found exactly as typed. Each routine returns rows its caller owns; no
// later statement can replace what a reader is still looking at. A failed
// statement throws DatabaseError with the engine's text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/chipdb/chip_row.h"

struct sqlite3;

namespace tq {

class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const std::string& engineText, std::string statement = {})
        : std::runtime_error(engineText), statement_(std::move(statement)) {}
    const std::string& Statement() const { return statement_; }

private:
    std::string statement_;
};

// The records of one statement, owned by the reader. The current record is
// the first; FieldText/FieldInt read it ("" and 0 for a null value, and for
// every column when there is no record); QueryNext moves on.
class QueryResult {
public:
    using Value = std::variant<std::monostate, int64_t, double, std::string>;

    QueryResult(std::vector<std::string> columns, std::vector<std::vector<Value>> records)
        : columns_(std::move(columns)), records_(std::move(records)) {}

    int Count() const { return static_cast<int>(records_.size()); }
    // Moves to the next record; false when there is none.
    bool QueryNext();
    std::string FieldText(std::string_view column) const;
    int64_t FieldInt(std::string_view column) const;
    // The same by the column's position, for a reader of many records that
    // looks each column up once; ColumnIndex throws for a missing column.
    size_t ColumnIndex(std::string_view column) const;
    std::string FieldText(size_t column) const;
    int64_t FieldInt(size_t column) const;
    // FieldText for a reader that reads each field once: a text is moved
    // out of the record, which then holds an empty one.
    std::string TakeText(size_t column);

private:
    const Value* Field(size_t column) const;

    std::vector<std::string> columns_;
    std::vector<std::vector<Value>> records_;
    size_t current_ = 0;
};

// The records of a result, from the current one on, as chip rows (their
// texts are moved out of the result).
std::vector<ChipRow> ReadChipRows(QueryResult& result);

// The chip types a platform offers, or why none could be listed.
struct TypeList {
    std::vector<std::string> types;
    std::string platformCode;
    bool rejected = false;  // the platform code is not a plain identifier
    std::string Reason(int32_t language) const;  // empty unless rejected
};

inline constexpr const char* kDatabaseFileName = "login.dat";
inline constexpr const char* kDefaultDbVersion = "V0.1.0";

// That `folder` holds no login.dat, in `language`; the folder is shown ending
// in a separator.
std::string MissingDatabaseMessage(int32_t language, const std::filesystem::path& folder);

// The platform code of a model: its first four characters.
std::string PlatformCode(std::string_view model);
// A platform code may name a column only when it is a plain identifier.
bool IsPlainIdentifier(std::string_view code);

class ChipDatabase {
public:
    // Opens an existing database (create = false) or creates an empty file.
    static std::unique_ptr<ChipDatabase> Open(const std::filesystem::path& path, bool create = false);
    ~ChipDatabase();
    ChipDatabase(const ChipDatabase&) = delete;
    ChipDatabase& operator=(const ChipDatabase&) = delete;

    // Any statement with its values bound in order, as texts.
    QueryResult QueryOpen(std::string_view statement, const std::vector<std::string>& values = {});
    // A statement without a result; returns the number of rows it changed.
    int QueryExec(std::string_view statement, const std::vector<std::string>& values = {});
    // Several statements without values (schema set-up).
    void ExecScript(std::string_view statements);

    // The catalogue.
    std::string VersionQuery();  // first [DevInfo] Version, "V0.1.0" without rows
    TypeList TypeListQuery(std::string_view model);
    std::vector<std::string> ManufacturerListQuery(std::string_view type);
    std::vector<std::string> NameListQuery(std::string_view type, std::string_view manufacturer);  // by capacity
    std::vector<std::string> StartupNameListQuery(std::string_view type, std::string_view manufacturer);
    std::vector<ChipRow> ChipRowQuery(std::string_view name);  // lookups take the first row
    std::vector<ChipRow> IdQuery(std::string_view id);
    std::vector<ChipRow> SearchQuery(std::string_view text);  // name contains text, by capacity
    std::vector<ChipRow> UserRowsQuery();
    std::vector<ChipRow> UserRowQuery(std::string_view name);
    std::vector<ChipRow> AlgorithmListQuery();
    // A user chip borrowing every parameter of the algorithm row; its notes
    // get a trailing blank as the program has always stored them.
    void UserChipInsert(const ChipRow& algorithm, std::string_view name, std::string_view manufacturer,
                        std::string_view id);
    // Changes capacity, maker and ID of the user rows of that name; factory
    // rows of the same name are left alone.
    int UserChipUpdate(std::string_view name, std::string_view capacity, std::string_view manufacturer,
                       std::string_view id);
    int UserChipDelete(std::string_view name, std::string_view manufacturer, std::string_view id);
    // Copies every user row (all but the factory rows) of another database
    // file into this one; returns how many.
    int CopyUserChipsFrom(const std::filesystem::path& other);

private:
    explicit ChipDatabase(sqlite3* db) : db_(db) {}
    std::vector<ChipRow> ChipRows(std::string_view statement, const std::vector<std::string>& values);
    std::vector<std::string> Texts(std::string_view statement, const std::vector<std::string>& values,
                                   std::string_view column);

    sqlite3* db_;
};

}  // namespace tq
