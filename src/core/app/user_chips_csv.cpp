#include "core/app/user_chips_csv.h"

#include <algorithm>
#include <fstream>

#include "core/app/user_chips.h"
#include "core/base/atomic_write.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_database_builder.h"
#include "core/chipdb/chip_table.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

// What the programmer and the operation record take of each number.
struct NumberRange {
    const char* column;
    int64_t low, high;
    int64_t ChipRow::*member;
};
constexpr int64_t k16Bits = 0xFFFF;
constexpr int64_t k32Bits = 0xFFFFFFFF;
constexpr NumberRange kRanges[] = {
    {"Capacity", 1, k32Bits, &ChipRow::Capacity},   {"PageSize", 1, k16Bits, &ChipRow::PageSize},
    {"BlockSize", 16, k16Bits, &ChipRow::BlockSize}, {"OTPSize", 0, k16Bits, &ChipRow::OTPSize},
    {"Voltage", 1, k16Bits, &ChipRow::Voltage},     {"ChipPara", 0, 0xFF, &ChipRow::ChipPara},
    {"ChipPara1", 0, 0xFF, &ChipRow::ChipPara1},     {"EraseTime", 0, k32Bits, &ChipRow::EraseTime}};

bool HasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Why the header cannot be the chip columns; empty when it can.
std::string HeaderFault(const std::vector<std::string>& header, const TextPicker& text) {
    for (std::string_view column : kChipColumns)
        if (std::count(header.begin(), header.end(), column) != 1)
            return text(TextId::UserChipCsvLacksColumn, {column});
    if (header.size() != kChipColumns.size())
        return text(TextId::UserChipCsvUnknownColumns);
    return {};
}

// Reads the fields of one line into a user chip row; the reason it cannot
// be one otherwise.
std::string RowFault(ChipDatabase& db, const std::vector<std::string>& header, const std::vector<std::string>& fields,
                     ChipRow& row, const TextPicker& text) {
    if (fields.size() != header.size())
        return text(TextId::UserChipCsvFieldCount, {std::to_string(fields.size()), std::to_string(header.size())});
    for (size_t i = 0; i < header.size(); ++i)
        if (!SetChipColumn(row, header[i], fields[i]))
            return text(TextId::UserChipCsvNotDecimal, {header[i], fields[i]});
    if (row.ChipName.empty()) return text(TextId::UserChipCsvNoName);
    if (!IsUsableChipName(row.ChipName))
        return text(TextId::UserChipCsvNameUnusable);
    if (ChipTypeCode(row.ChipType) == 0)
        return text(TextId::UserChipCsvUnknownType, {row.ChipType});
    for (const NumberRange& range : kRanges) {
        const int64_t value = row.*range.member;
        if (value < range.low || value > range.high)
            return text(TextId::UserChipCsvOutOfRange,
                        {range.column, std::to_string(range.low), std::to_string(range.high)});
    }
    if (!NormaliseChipId(row.ChipID))
        return text(TextId::UserChipCsvBadId);
    if (HasControlCharacter(row.ManufName))
        return text(TextId::UserChipCsvMakerControl);
    // Lookups by name take the first row: a second chip of a name could never be used.
    if (!db.ChipRowQuery(row.ChipName).empty())
        return text(TextId::UserChipCsvNameTaken);
    return {};
}

// All rows of one import go in together or not at all.
class Transaction {
public:
    explicit Transaction(ChipDatabase& db) : db_(db) { db_.ExecScript("BEGIN"); }
    ~Transaction() {
        if (open_) {
            try {
                db_.ExecScript("ROLLBACK");
            } catch (const DatabaseError&) {
                // The failure that brought us here is the one to report.
            }
        }
    }
    void Commit() {
        db_.ExecScript("COMMIT");
        open_ = false;
    }

private:
    ChipDatabase& db_;
    bool open_ = true;
};

}  // namespace

UserChipExport ExportUserChips(ChipDatabase& db, const std::filesystem::path& file, int language) {
    UserChipExport result;
    std::string text;
    for (size_t i = 0; i < kChipColumns.size(); ++i) {
        if (i > 0) text += ',';
        text += kChipColumns[i];
    }
    text += '\n';
    for (const ChipRow& row : db.UserRowsQuery()) {
        text += ChipTableLine(row) + '\n';
        ++result.exported;
    }
    result.error = WriteFileAtomically(file, text);
    if (!result.error.empty()) {
        result.error = Text(language, TextId::UserChipExportFailed, {result.error});
        result.exported = 0;
    }
    return result;
}

UserChipImport ImportUserChips(ChipDatabase& db, const std::filesystem::path& file, int language) {
    const TextPicker text(language);
    UserChipImport result;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = text(TextId::UserChipCsvCannotOpen, {file.string()});
        return result;
    }
    std::vector<std::string> header;
    std::vector<ChipRow> accepted;
    std::string line;
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        if (lineNumber == 1 && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // a spreadsheet's byte order mark
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string> fields = SplitChipTableLine(line);
        if (header.empty()) {
            result.error = HeaderFault(fields, text);
            if (!result.error.empty()) return result;
            header = std::move(fields);
            continue;
        }
        ChipRow row;
        std::string fault = RowFault(db, header, fields, row, text);
        // A name twice in the file: the first one goes in.
        if (fault.empty() && std::any_of(accepted.begin(), accepted.end(),
                                         [&](const ChipRow& earlier) { return earlier.ChipName == row.ChipName; }))
            fault = text(TextId::UserChipCsvNameTaken);
        if (!fault.empty()) {
            const auto nameColumn = std::find(header.begin(), header.end(), "ChipName") - header.begin();
            const auto index = static_cast<size_t>(nameColumn);
            result.refused.push_back({lineNumber, index < fields.size() ? fields[index] : "", std::move(fault)});
            continue;
        }
        row.Adder = kUserAdder;
        accepted.push_back(std::move(row));
    }
    if (in.bad()) {  // a read that broke off: import nothing rather than part of the file
        result.error = text(TextId::UserChipCsvCannotRead, {file.string()});
        return result;
    }
    if (header.empty()) {
        result.error = text(TextId::UserChipCsvNoHeader);
        return result;
    }
    Transaction transaction(db);
    for (const ChipRow& row : accepted) AddChipRow(db, row);
    transaction.Commit();
    result.imported = static_cast<int>(accepted.size());
    return result;
}

std::string ImportReportText(const UserChipImport& report, int language) {
    const TextPicker text(language);
    if (!report.error.empty()) return text(TextId::UserChipImportFailed, {report.error});
    std::string out = text(TextId::UserChipsImported, {std::to_string(report.imported)});
    for (const RefusedRow& row : report.refused) {
        out += '\n';
        out += text(TextId::UserChipRefusedRow, {std::to_string(row.line), row.chipName, row.reason});
    }
    return out;
}

}  // namespace tq
