#include "core/chipdb/chip_database.h"

#include <sqlite3.h>

#include <array>
#include <charconv>

#include "core/texts/text_catalogue.h"
#include "core/texts/language.h"

namespace tq {
namespace {

struct StatementCloser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

bool SameColumnName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

int64_t LeadingInteger(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

constexpr const char* kUserChipInsertColumns =
    "ChipName,Capacity,PageSize,MemoryType,ChipType,ManufName,BlockSize,OTPSize,OTPAddr,Voltage,ChipID,ChipPara,"
    "ChipPara1,Para1Note,ParaNote,EraseTime,Adder";

}  // namespace

bool QueryResult::QueryNext() {
    if (current_ < records_.size()) ++current_;
    return current_ < records_.size();
}

size_t QueryResult::ColumnIndex(std::string_view column) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (SameColumnName(columns_[i], column)) return i;
    throw DatabaseError("the result has no column " + std::string(column));
}

const QueryResult::Value* QueryResult::Field(size_t column) const {
    return current_ < records_.size() ? &records_[current_][column] : nullptr;
}

std::string QueryResult::FieldText(std::string_view column) const { return FieldText(ColumnIndex(column)); }

int64_t QueryResult::FieldInt(std::string_view column) const { return FieldInt(ColumnIndex(column)); }

std::string QueryResult::FieldText(size_t column) const {
    const Value* value = Field(column);
    if (!value) return {};
    if (const auto* text = std::get_if<std::string>(value)) return *text;
    if (const auto* integer = std::get_if<int64_t>(value)) return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(value)) {
        std::string text = std::to_string(*real);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    }
    return {};
}

std::string QueryResult::TakeText(size_t column) {
    if (current_ < records_.size())
        if (auto* text = std::get_if<std::string>(&records_[current_][column])) return std::move(*text);
    return FieldText(column);
}

int64_t QueryResult::FieldInt(size_t column) const {
    const Value* value = Field(column);
    if (!value) return 0;
    if (const auto* integer = std::get_if<int64_t>(value)) return *integer;
    if (const auto* real = std::get_if<double>(value)) return static_cast<int64_t>(*real);
    if (const auto* text = std::get_if<std::string>(value)) return LeadingInteger(*text);
    return 0;
}

std::vector<ChipRow> ReadChipRows(QueryResult& result) {
    // Each column is looked up once for all records.
    std::array<size_t, std::size(kChipTextColumns)> texts{};
    std::array<size_t, std::size(kChipNumberColumns)> numbers{};
    for (size_t i = 0; i < texts.size(); ++i) texts[i] = result.ColumnIndex(kChipTextColumns[i].name);
    for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = result.ColumnIndex(kChipNumberColumns[i].name);
    std::vector<ChipRow> rows;
    rows.reserve(static_cast<size_t>(result.Count()));
    for (int i = 0; i < result.Count(); ++i, result.QueryNext()) {
        ChipRow& row = rows.emplace_back();
        for (size_t c = 0; c < texts.size(); ++c) row.*kChipTextColumns[c].member = result.TakeText(texts[c]);
        for (size_t c = 0; c < numbers.size(); ++c) row.*kChipNumberColumns[c].member = result.FieldInt(numbers[c]);
    }
    return rows;
}

std::string TypeList::Reason(int32_t language) const {
    if (!rejected) return {};
    return Text(language, TextId::PlatformCodeRejected, {platformCode});
}

std::string MissingDatabaseMessage(int32_t language, const std::filesystem::path& folder) {
    std::string text = folder.string();
    if (text.empty() || (text.back() != '/' && text.back() != '\\'))
        text += static_cast<char>(std::filesystem::path::preferred_separator);
    return Text(language, TextId::DatabaseFileMissing, {text + kDatabaseFileName});
}

std::string PlatformCode(std::string_view model) { return std::string(model.substr(0, 4)); }

bool IsPlainIdentifier(std::string_view code) {
    if (code.empty()) return false;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(code.front())) return false;
    for (char c : code)
        if (!letter(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

std::unique_ptr<ChipDatabase> ChipDatabase::Open(const std::filesystem::path& path, bool create) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.string().c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw DatabaseError(path.string() + ": " + text);
    }
    sqlite3_busy_timeout(db, 2000);
    return std::unique_ptr<ChipDatabase>(new ChipDatabase(db));
}

ChipDatabase::~ChipDatabase() { sqlite3_close(db_); }

namespace {

Statement Prepare(sqlite3* db, std::string_view text, const std::vector<std::string>& values) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &raw, nullptr) != SQLITE_OK)
        throw DatabaseError(sqlite3_errmsg(db), std::string(text));
    Statement statement(raw);
    if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(raw))
        throw DatabaseError("the statement takes " + std::to_string(sqlite3_bind_parameter_count(raw)) +
                                " values, " + std::to_string(values.size()) + " were given",
                            std::string(text));
    for (size_t i = 0; i < values.size(); ++i)
        sqlite3_bind_text(raw, static_cast<int>(i + 1), values[i].data(), static_cast<int>(values[i].size()),
                          SQLITE_TRANSIENT);
    return statement;
}

}  // namespace

QueryResult ChipDatabase::QueryOpen(std::string_view statement, const std::vector<std::string>& values) {
    Statement prepared = Prepare(db_, statement, values);
    sqlite3_stmt* raw = prepared.get();
    std::vector<std::string> columns;
    for (int i = 0; i < sqlite3_column_count(raw); ++i) columns.emplace_back(sqlite3_column_name(raw, i));
    std::vector<std::vector<QueryResult::Value>> records;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::vector<QueryResult::Value> record;
        record.reserve(columns.size());
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            switch (sqlite3_column_type(raw, i)) {
            case SQLITE_INTEGER: record.emplace_back(static_cast<int64_t>(sqlite3_column_int64(raw, i))); break;
            case SQLITE_FLOAT: record.emplace_back(sqlite3_column_double(raw, i)); break;
            case SQLITE_NULL: record.emplace_back(std::monostate{}); break;
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, i));
                record.emplace_back(std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(raw, i))));
            }
            }
        }
        records.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE) throw DatabaseError(sqlite3_errmsg(db_), std::string(statement));
    return QueryResult(std::move(columns), std::move(records));
}

int ChipDatabase::QueryExec(std::string_view statement, const std::vector<std::string>& values) {
    Statement prepared = Prepare(db_, statement, values);
    int rc;
    while ((rc = sqlite3_step(prepared.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) throw DatabaseError(sqlite3_errmsg(db_), std::string(statement));
    return sqlite3_changes(db_);
}

void ChipDatabase::ExecScript(std::string_view statements) {
    char* error = nullptr;
    const std::string text(statements);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw DatabaseError(message, text);
    }
}

std::vector<ChipRow> ChipDatabase::ChipRows(std::string_view statement, const std::vector<std::string>& values) {
    QueryResult result = QueryOpen(statement, values);
    return ReadChipRows(result);
}

std::vector<std::string> ChipDatabase::Texts(std::string_view statement, const std::vector<std::string>& values,
                                             std::string_view column) {
    QueryResult result = QueryOpen(statement, values);
    std::vector<std::string> texts;
    for (int i = 0; i < result.Count(); ++i, result.QueryNext()) texts.push_back(result.FieldText(column));
    return texts;
}

std::string ChipDatabase::VersionQuery() {
    const QueryResult result = QueryOpen("select Version from [DevInfo]");
    return result.Count() > 0 ? result.FieldText("Version") : kDefaultDbVersion;
}

TypeList ChipDatabase::TypeListQuery(std::string_view model) {
    TypeList list;
    const std::string code = PlatformCode(model);
    list.platformCode = code;
    if (!IsPlainIdentifier(code)) {
        list.rejected = true;
        return list;
    }
    // The code names a column; brackets keep it a column name even when it
    // spells a keyword.
    list.types = Texts("select TypeName from [ChipType] where [" + code + "] = 'Enable'", {}, "TypeName");
    return list;
}

std::vector<std::string> ChipDatabase::ManufacturerListQuery(std::string_view type) {
    return Texts("select DISTINCT ManufName from [ChipName] where ChipType = ?", {std::string(type)}, "ManufName");
}

std::vector<std::string> ChipDatabase::NameListQuery(std::string_view type, std::string_view manufacturer) {
    return Texts("select ChipName from [ChipName] where ChipType = ? AND ManufName = ? ORDER BY Capacity ASC",
                 {std::string(type), std::string(manufacturer)}, "ChipName");
}

std::vector<std::string> ChipDatabase::StartupNameListQuery(std::string_view type, std::string_view manufacturer) {
    return Texts("select ChipName from [ChipName] where ChipType = ? AND ManufName = ?",
                 {std::string(type), std::string(manufacturer)}, "ChipName");
}

std::vector<ChipRow> ChipDatabase::ChipRowQuery(std::string_view name) {
    return ChipRows("select * from [ChipName] where ChipName = ?", {std::string(name)});
}

std::vector<ChipRow> ChipDatabase::IdQuery(std::string_view id) {
    return ChipRows("select * from [ChipName] where ChipID = ?", {std::string(id)});
}

std::vector<ChipRow> ChipDatabase::SearchQuery(std::string_view text) {
    return ChipRows("select * from [ChipName] where ChipName like '%' || ? || '%' ORDER BY Capacity ASC",
                    {std::string(text)});
}

std::vector<ChipRow> ChipDatabase::UserRowsQuery() {
    return ChipRows("select * from [ChipName] where Adder <> 'Varden'", {});
}

std::vector<ChipRow> ChipDatabase::UserRowQuery(std::string_view name) {
    return ChipRows("select * from [ChipName] where ChipName = ? AND Adder <> 'Varden'", {std::string(name)});
}

std::vector<ChipRow> ChipDatabase::AlgorithmListQuery() {
    return ChipRows(
        "select * from [ChipName] where (ManufName = 'WINBOND' OR ManufName = 'SST') AND MemoryType = 'SPI FLASH'",
        {});
}

void ChipDatabase::UserChipInsert(const ChipRow& algorithm, std::string_view name, std::string_view manufacturer,
                                  std::string_view id) {
    const auto number = [](int64_t value) { return std::to_string(value); };
    QueryExec(std::string("INSERT INTO [ChipName] (") + kUserChipInsertColumns +
                  ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
              {std::string(name), number(algorithm.Capacity), number(algorithm.PageSize), algorithm.MemoryType,
               algorithm.ChipType, std::string(manufacturer), number(algorithm.BlockSize), number(algorithm.OTPSize),
               algorithm.OTPAddr, number(algorithm.Voltage), std::string(id), number(algorithm.ChipPara),
               number(algorithm.ChipPara1), algorithm.Para1Note + " ", algorithm.ParaNote + " ",
               number(algorithm.EraseTime), kUserAdder});
}

int ChipDatabase::UserChipUpdate(std::string_view name, std::string_view capacity, std::string_view manufacturer,
                                 std::string_view id) {
    return QueryExec(
        "UPDATE [ChipName] SET ChipName = ?,Capacity = ?,ManufName = ?,ChipID = ?,Adder = 'USER' "
        "where ChipName = ? AND Adder <> 'Varden'",
        {std::string(name), std::string(capacity), std::string(manufacturer), std::string(id), std::string(name)});
}

int ChipDatabase::UserChipDelete(std::string_view name, std::string_view manufacturer, std::string_view id) {
    return QueryExec(
        "DELETE FROM [ChipName] where (ChipName = ?) AND (ManufName = ?) AND (ChipID = ?) AND (Adder = 'USER')",
        {std::string(name), std::string(manufacturer), std::string(id)});
}

int ChipDatabase::CopyUserChipsFrom(const std::filesystem::path& other) {
    QueryExec("ATTACH DATABASE ? AS other", {other.string()});
    int copied = 0;
    try {
        // Every column, Note included: a chip imported from a CSV file has one.
        std::string columns;
        for (std::string_view column : kChipColumns) (columns += columns.empty() ? "" : ",") += column;
        copied = QueryExec("INSERT INTO [ChipName] (" + columns + ") SELECT " + columns +
                           " FROM other.[ChipName] where Adder <> 'Varden'");
    } catch (const DatabaseError&) {
        QueryExec("DETACH DATABASE other");
        throw;
    }
    QueryExec("DETACH DATABASE other");
    return copied;
}

}  // namespace tq
