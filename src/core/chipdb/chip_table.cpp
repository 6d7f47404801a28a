#include "core/chipdb/chip_table.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tq {
namespace {

int64_t ParseNumber(const std::string& text, bool& ok) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    ok = error == std::errc() && end == text.data() + text.size() && !text.empty();
    return value;
}

std::string ColumnText(const ChipRow& row, std::string_view column) {
    for (const ChipTextColumn& c : kChipTextColumns)
        if (c.name == column) return row.*c.member;
    for (const ChipNumberColumn& c : kChipNumberColumns)
        if (c.name == column) return std::to_string(row.*c.member);
    return {};
}

}  // namespace

bool SetChipColumn(ChipRow& row, std::string_view column, const std::string& value) {
    for (const ChipTextColumn& c : kChipTextColumns) {
        if (c.name == column) {
            row.*c.member = value;
            return true;
        }
    }
    for (const ChipNumberColumn& c : kChipNumberColumns) {
        if (c.name == column) {
            bool ok = false;
            row.*c.member = ParseNumber(value, ok);
            return ok;
        }
    }
    return false;
}

std::vector<std::string> SplitChipTableLine(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"') {
                fields.back() += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string ChipTableField(std::string_view value) {
    if (value.find_first_of(",\"") == std::string_view::npos) return std::string(value);
    std::string field = "\"";
    for (const char c : value) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string ChipTableLine(const ChipRow& row) {
    std::string line;
    for (size_t i = 0; i < kChipColumns.size(); ++i) {
        if (i > 0) line += ',';
        line += ChipTableField(ColumnText(row, kChipColumns[i]));
    }
    return line;
}

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
        std::vector<std::string> fields = SplitChipTableLine(line);
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
            if (!SetChipColumn(row, header[i], fields[i]))
                throw fail(lineNumber, header[i] + " \"" + fields[i] + "\" is not a decimal number");
        table.rows.push_back(std::move(row));
    }
    if (header.empty()) throw std::runtime_error(csv.string() + ": no header line");
    return table;
}

}  // namespace tq
