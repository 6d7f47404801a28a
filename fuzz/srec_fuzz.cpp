// S-record to binary. Input starting with '!' is turned into a well-formed
// file (checksums right, a count record, an end record) whose image a small
// model computes; any other input is converted as it is and checked for
// determinism and for its image written back converting to itself.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/buffer/srec_conversion.h"
#include "fuzz_support.h"
#include "image_support.h"

using namespace tq::fuzz;

namespace {

// Small, so that every input converts quickly; the program's own limit has a unit test.
constexpr uint64_t kImageLimit = uint64_t{64} << 10;

struct Converted {
    tq::ConversionReport report;
    std::vector<uint8_t> image;
};

Converted Convert(const std::string& text, const char* name) {
    const auto source = Scratch(std::string(name) + ".srec");
    const auto destination = Scratch(std::string(name) + ".bin");
    WriteBytes(source, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    Converted converted{tq::SrecToBin(source, destination, kImageLimit), {}};
    Check(std::filesystem::exists(destination), "the destination exists afterwards");
    converted.image = ReadBytes(destination);
    return converted;
}

std::string Record(int type, int addressBytes, uint64_t address, const uint8_t* data, size_t count) {
    std::vector<uint8_t> raw{static_cast<uint8_t>(addressBytes + count + 1)};
    for (int i = addressBytes - 1; i >= 0; --i) raw.push_back(static_cast<uint8_t>(address >> (8 * i)));
    raw.insert(raw.end(), data, data + count);
    uint8_t sum = 0;
    for (uint8_t b : raw) sum = static_cast<uint8_t>(sum + b);
    raw.push_back(static_cast<uint8_t>(~sum));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = "S" + std::to_string(type);
    for (uint8_t b : raw) line += kDigits[b >> 4], line += kDigits[b & 15];
    return line + "\r\n";
}

// From the bytes after '!': a 24-bit origin, then records of a width
// selector, a 16-bit offset from the origin, a count and that many bytes.
void CheckModel(const uint8_t* data, size_t size) {
    if (size < 3) return;
    const uint64_t origin = uint64_t{data[0]} << 16 | uint64_t{data[1]} << 8 | data[2];
    std::map<uint64_t, uint8_t> model;
    std::string text = "S00600004844521B\r\n";
    size_t records = 0;
    bool differ = false;  // two records give one address different bytes
    for (size_t at = 3; at + 4 <= size;) {
        const int wanted = 2 + data[at] % 3;
        const uint64_t address = origin + (uint64_t{data[at + 1]} << 8 | data[at + 2]);
        const size_t count = std::min<size_t>(data[at + 3] % 33, size - at - 4);
        const int needed = address + count <= 0x10000 ? 2 : address + count <= 0x1000000 ? 3 : 4;
        const int width = std::max(wanted, needed);
        text += Record(width - 1, width, address, data + at + 4, count);
        for (size_t i = 0; i < count; ++i) {
            const auto [where, added] = model.emplace(address + i, data[at + 4 + i]);
            differ = differ || (!added && where->second != data[at + 4 + i]);
        }
        ++records;
        at += 4 + count;
    }
    text += Record(5, 2, records & 0xFFFF, nullptr, 0) + Record(7, 4, 0, nullptr, 0);
    const ReadBack converted = ReadAsFormat(text, "model.srec", kImageLimit);
    if (records > 0xFFFF) return;
    if (differ) return Check(!converted.report.ok, "records that disagree about a byte fail the conversion");
    if (!model.empty() && model.rbegin()->first - model.begin()->first >= kImageLimit) {
        Check(!converted.report.ok && converted.image.bytes.empty(), "an image wider than the limit is refused");
        return;
    }
    Check(converted.report.ok, "a well-formed file converts");
    if (model.empty()) {
        Check(converted.image.bytes.empty(), "records without data give no image");
        return;
    }
    const uint64_t base = model.begin()->first;
    std::vector<uint8_t> expected(static_cast<size_t>(model.rbegin()->first - base + 1), 0xFF);
    for (const auto& [address, byte] : model) expected[address - base] = byte;
    Check(converted.image.bytes == expected, "every byte lands at its address, gaps 0xFF");
    Check(converted.report.imageAddress == base, "the image starts at the lowest address");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == '!') {
        CheckModel(data + 1, size - 1);
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Converted first = Convert(text, "first");
    const ReadBack second = ReadAsFormat(text, "second.srec", kImageLimit);
    Check(first.report.ok == second.report.ok && first.image == second.image.bytes,
          "the converter and the reader make the same image of the same file");
    if (!first.report.ok) Check(first.image.empty(), "a failed conversion leaves an empty image");
    if (!first.report.ok || first.image.empty()) return 0;
    std::string written;
    Check(WriteAsFormat(second.image, "again.srec", written), "an image read from S-records can be written as S-records");
    const ReadBack back = ReadAsFormat(written, "back.srec", kImageLimit);
    Check(back.report.ok && back.image.bytes == first.image && back.image.address == first.report.imageAddress,
          "the written image reads back to itself");
    return 0;
}
