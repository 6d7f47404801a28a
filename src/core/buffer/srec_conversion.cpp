#include "core/buffer/srec_conversion.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/atomic_write.h"

namespace tq {
namespace {

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '\r' || c == ' ' || c == '\t' || c == 0x1A; });
}

// Address bytes of each record type; 0 for the reserved type 4.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

struct DataRecord {
    uint64_t address;
    std::size_t from;  // first byte in the pool
    std::size_t count;
    uint64_t line;
};

// One checked record: its type, address and data bytes.
struct Record {
    int type;
    uint64_t address;
    std::vector<uint8_t> data;
};

// Decodes and checks one line; nothing with `why` set when it is no sound record.
std::optional<Record> ReadRecord(std::string_view line, std::string& why) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() < 4 || (line[0] != 'S' && line[0] != 's')) {
        why = "not an S-record";
        return std::nullopt;
    }
    const int type = line[1] - '0';
    if (type < 0 || type > 9 || kAddressBytes[type] == 0) {
        why = "unknown record type";
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((line.size() - 2) / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = DigitValue(line[2 + 2 * i]), low = DigitValue(line[3 + 2 * i]);
        if (high < 0 || low < 0) {
            why = "non-hex character";
            return std::nullopt;
        }
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    const std::size_t count = bytes[0];
    const std::size_t addressBytes = static_cast<std::size_t>(kAddressBytes[type]);
    if (line.size() % 2 != 0 || bytes.size() != count + 1 || count < addressBytes + 1) {
        why = "record length does not match its byte count";
        return std::nullopt;
    }
    unsigned sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    if ((sum & 0xFF) != 0xFF) {
        why = "checksum mismatch";
        return std::nullopt;
    }
    Record record{type, 0, {}};
    for (std::size_t i = 0; i < addressBytes; ++i) record.address = record.address << 8 | bytes[1 + i];
    record.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(1 + addressBytes), bytes.end() - 1);
    return record;
}

}  // namespace

ConversionReport SrecToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                           uint64_t maxImageBytes) {
    ConversionReport report;
    ReplacingFile output(destination, Durability::Flushed);  // the source stays: it can be converted again
    auto fail = [&](std::string error) {
        output.CommitEmpty();
        report.ok = false;
        report.error = std::move(error);
        return report;
    };
    if (!output.Open()) {
        report.ok = false;
        report.error = output.error();
        return report;
    }
    std::ifstream in(source, std::ios::binary);
    if (!in) return fail("cannot open " + source.string());

    std::vector<DataRecord> records;
    std::vector<uint8_t> pool;
    std::string line;
    uint64_t lineNumber = 0;
    bool ended = false;
    uint64_t dataRecords = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (IsBlank(line)) continue;
        const auto at = [&] { return source.string() + ": line " + std::to_string(lineNumber) + ": "; };
        if (ended) {
            report.warnings.push_back("line " + std::to_string(lineNumber) +
                                      " follows the end record; everything from it on is ignored");
            break;
        }
        std::string why;
        const std::optional<Record> record = ReadRecord(line, why);
        if (!record) return fail(at() + why);
        switch (record->type) {
            case 1:
            case 2:
            case 3:
                if (record->address + record->data.size() > uint64_t{1} << 32)
                    return fail(at() + "data runs past the 32-bit address space");
                ++dataRecords;
                // A record without data places nothing and does not stretch the image.
                if (record->data.empty()) break;
                records.push_back({record->address, pool.size(), record->data.size(), lineNumber});
                pool.insert(pool.end(), record->data.begin(), record->data.end());
                break;
            case 5:
            case 6:
                if (record->address != dataRecords)
                    return fail(at() + "the record count " + std::to_string(record->address) + " does not match the " +
                                std::to_string(dataRecords) + " data records before it");
                break;
            case 7:
            case 8:
            case 9: ended = true; break;
            default: break;  // S0: the header
        }
    }
    if (in.bad()) return fail("cannot read " + source.string());
    if (!ended || records.empty()) {
        report.warnings.push_back(std::string(ended ? "no data records" : "no end record (S7, S8 or S9)") +
                                  std::string(kEmptyImageReason));
        if (!output.Commit()) return fail(output.error());
        return report;
    }

    uint64_t base = records.front().address;
    for (const DataRecord& record : records) base = std::min(base, record.address);
    uint64_t end = base;
    for (const DataRecord& record : records) {
        if (record.address + record.count - base > maxImageBytes)
            return fail(source.string() + ": line " + std::to_string(record.line) + ": data at " +
                        Hex(record.address, 8) + " lies beyond the largest image of " +
                        std::to_string(maxImageBytes >> 20) + " MiB from " + Hex(base, 8));
        end = std::max(end, record.address + record.count);
    }
    std::vector<uint8_t> image(static_cast<std::size_t>(end - base), 0xFF);
    for (const DataRecord& record : records)
        std::copy_n(pool.begin() + static_cast<std::ptrdiff_t>(record.from), record.count,
                    image.begin() + static_cast<std::ptrdiff_t>(record.address - base));
    report.imageAddress = base;
    if (!output.Write(image.data(), image.size()) || !output.Commit()) {
        report.ok = false;
        report.error = output.error();
    }
    return report;
}

}  // namespace tq
