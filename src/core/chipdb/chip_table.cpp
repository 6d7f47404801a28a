#include "core/chipdb/chip_table.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tq {
namespace {

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

int64_t ParseNumber(const std::string& text, bool& ok) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    ok = error == std::errc() && end == text.data() + text.size() && !text.empty();
    return value;
}

// Puts one field into its column of the row; false for a bad number.
bool SetColumn(ChipRow& row, std::string_view column, const std::string& value) {
    std::string* texts[] = {&row.ChipName, &row.ChipType, &row.ManufName, &row.Note,      &row.OTPAddr,
                            &row.ChipID,   &row.ParaNote, &row.Para1Note, &row.MemoryType, &row.Adder};
    const char* textColumns[] = {"ChipName", "ChipType", "ManufName", "Note",       "OTPAddr",
                                 "ChipID",   "ParaNote", "Para1Note", "MemoryType", "Adder"};
    for (size_t i = 0; i < std::size(textColumns); ++i) {
        if (column == textColumns[i]) {
            *texts[i] = value;
            return true;
        }
    }
    int64_t* numbers[] = {&row.Capacity, &row.PageSize, &row.BlockSize, &row.OTPSize,
                          &row.Voltage,  &row.ChipPara, &row.ChipPara1, &row.EraseTime};
    const char* numberColumns[] = {"Capacity", "PageSize", "BlockSize", "OTPSize",
                                   "Voltage",  "ChipPara", "ChipPara1", "EraseTime"};
    for (size_t i = 0; i < std::size(numberColumns); ++i) {
        if (column == numberColumns[i]) {
            bool ok = false;
            *numbers[i] = ParseNumber(value, ok);
            return ok;
        }
    }
    return false;
}

}  // namespace

ChipTable ReadChipTable(const std::filesystem::path& csv) {
    std::ifstream file(csv, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + csv.string());
    const auto fail = [&](int lineNumber, const std::string& what) {
        return std::runtime_error(csv.string() + ":" + std::to_string(lineNumber) + ": " + what);
    };
    ChipTable table;
    std::vector<std::string> header;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line.front() == '#') {
            constexpr std::string_view kLookAlikes = "# look-alikes:";
            if (line.starts_with(kLookAlikes)) {
                std::istringstream ids(line.substr(kLookAlikes.size()));
                for (std::string id; ids >> id;) table.lookAlikes.insert(id);
            }
            continue;
        }
        std::vector<std::string> fields = SplitFields(line);
        if (header.empty()) {
            for (std::string_view column : kChipColumns)
                if (std::find(fields.begin(), fields.end(), column) == fields.end())
                    throw fail(lineNumber, "the header lacks the column " + std::string(column));
            if (fields.size() != kChipColumns.size()) throw fail(lineNumber, "the header names unknown columns");
            header = std::move(fields);
            continue;
        }
        if (fields.size() != header.size())
            throw fail(lineNumber, std::to_string(fields.size()) + " fields instead of " +
                                       std::to_string(header.size()));
        ChipRow row;
        for (size_t i = 0; i < header.size(); ++i)
            if (!SetColumn(row, header[i], fields[i]))
                throw fail(lineNumber, header[i] + " \"" + fields[i] + "\" is not a decimal number");
        table.rows.push_back(std::move(row));
    }
    if (header.empty()) throw std::runtime_error(csv.string() + ": no header line");
    return table;
}

}  // namespace tq
