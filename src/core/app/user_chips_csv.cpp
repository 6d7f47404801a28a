#include "core/app/user_chips_csv.h"

#include <algorithm>
#include <fstream>

#include "core/app/user_chips.h"
#include "core/base/atomic_write.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_database_builder.h"
#include "core/chipdb/chip_table.h"
#include "core/texts/language.h"

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
std::string HeaderFault(const std::vector<std::string>& header, const TripletPicker& text) {
    for (std::string_view column : kChipColumns)
        if (std::count(header.begin(), header.end(), column) != 1)
            return text("表头缺少列 ", "表頭缺少欄 ", "the header lacks the column ") + std::string(column);
    if (header.size() != kChipColumns.size())
        return text("表头含有未知的列", "表頭含有未知的欄", "the header names unknown columns");
    return {};
}

// Reads the fields of one line into a user chip row; the reason it cannot
// be one otherwise.
std::string RowFault(ChipDatabase& db, const std::vector<std::string>& header, const std::vector<std::string>& fields,
                     ChipRow& row, const TripletPicker& text) {
    if (fields.size() != header.size())
        return text("字段数为 ", "欄位數為 ", "") + std::to_string(fields.size()) +
               text("，应为 ", "，應為 ", " fields instead of ") + std::to_string(header.size());
    for (size_t i = 0; i < header.size(); ++i)
        if (!SetChipColumn(row, header[i], fields[i]))
            return header[i] + text(" 不是十进制数字：", " 不是十進制數字：", " is not a decimal number: ") + "\"" +
                   fields[i] + "\"";
    if (row.ChipName.empty()) return text("没有芯片名称", "沒有晶片名稱", "no chip name");
    if (!IsUsableChipName(row.ChipName))
        return text("芯片名称只有空格或包含控制字符", "晶片名稱只有空格或包含控制字元",
                    "the name is blanks only or holds a control character");
    if (ChipTypeCode(row.ChipType) == 0)
        return text("未知的芯片类型：", "未知的晶片類型：", "unknown chip type ") + "\"" + row.ChipType + "\"";
    for (const NumberRange& range : kRanges) {
        const int64_t value = row.*range.member;
        if (value < range.low || value > range.high)
            return std::string(range.column) + text(" 超出范围 ", " 超出範圍 ", " is outside ") +
                   std::to_string(range.low) + text(" 到 ", " 到 ", " to ") + std::to_string(range.high);
    }
    if (!NormaliseChipId(row.ChipID))
        return text("芯片ID必须是六位十六进制数字", "晶片ID必須是六位十六進制數字", "the chip ID must be six hexadecimal digits");
    if (HasControlCharacter(row.ManufName))
        return text("厂商名称包含控制字符", "廠商名稱包含控制字元", "the maker holds a control character");
    // Lookups by name take the first row: a second chip of a name could never be used.
    if (!db.ChipRowQuery(row.ChipName).empty())
        return text("该芯片名称已存在", "該晶片名稱已存在", "a chip of this name already exists");
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
        result.error = Triplet(language, "导出失败：", "匯出失敗：", "Export failed: ") + result.error;
        result.exported = 0;
    }
    return result;
}

UserChipImport ImportUserChips(ChipDatabase& db, const std::filesystem::path& file, int language) {
    const TripletPicker text(language);
    UserChipImport result;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = text("无法打开文件：", "無法開啟檔案：", "cannot open ") + file.string();
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
            fault = text("该芯片名称已存在", "該晶片名稱已存在", "a chip of this name already exists");
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
        result.error = text("读取文件出错：", "讀取檔案出錯：", "cannot read ") + file.string();
        return result;
    }
    if (header.empty()) {
        result.error = text("文件中没有表头", "檔案中沒有表頭", "the file has no header line");
        return result;
    }
    Transaction transaction(db);
    for (const ChipRow& row : accepted) AddChipRow(db, row);
    transaction.Commit();
    result.imported = static_cast<int>(accepted.size());
    return result;
}

std::string ImportReportText(const UserChipImport& report, int language) {
    const TripletPicker text(language);
    if (!report.error.empty()) return text("导入失败：", "匯入失敗：", "Import failed: ") + report.error;
    std::string out = text("已导入用户自定义芯片：", "已匯入用戶自定義晶片：", "User chips imported: ") +
                      std::to_string(report.imported);
    for (const RefusedRow& row : report.refused) {
        out += '\n';
        out += text("第 ", "第 ", "line ") + std::to_string(row.line) + text(" 行", " 行", "") + " (" + row.chipName +
               ")" + text("：", "：", ": ") + row.reason;
    }
    return out;
}

}  // namespace tq
