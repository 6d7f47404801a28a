// Intel HEX to binary. Input starting with '!' is turned into a well-formed
// file (checksums right, one end record) whose image a small model computes;
// any other input is converted as it is and checked for determinism and for
// its image, written by the program as HEX, converting back to itself.
#include <algorithm>
#include <string>
#include <vector>

#include "core/buffer/hex_conversion.h"
#include "fuzz_support.h"
#include "image_support.h"

using namespace tq::fuzz;

namespace {

struct Converted {
    bool ok;
    std::vector<uint8_t> image;
    uint64_t address;
};

// Far addresses are cheap to write in a few bytes: a small largest image
// keeps every input's work (convert, re-encode, convert back) small. The
// refusal at the program's own limit is a unit test.
constexpr uint64_t kImageLimit = uint64_t{64} << 10;

Converted Convert(const std::string& text, const char* name) {
    const auto source = Scratch(std::string(name) + ".hex");
    const auto destination = Scratch(std::string(name) + ".bin");
    WriteBytes(source, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const tq::ConversionReport report = tq::HexToBin(source, destination, kImageLimit);
    Check(std::filesystem::exists(destination), "the destination exists afterwards");
    return {report.ok, ReadBytes(destination), report.imageAddress};
}

std::string Record(uint8_t type, uint16_t address, const uint8_t* bytes, size_t count, bool crlf) {
    std::vector<uint8_t> raw = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address), type};
    raw.insert(raw.end(), bytes, bytes + count);
    uint8_t sum = 0;
    for (uint8_t b : raw) sum = static_cast<uint8_t>(sum + b);
    raw.push_back(static_cast<uint8_t>(-sum));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = ":";
    for (uint8_t b : raw) line += kDigits[b >> 4], line += kDigits[b & 15];
    return line + (crlf ? "\r\n" : "\n");
}

void Structured(const uint8_t* data, size_t size) {
    struct Placed {
        int64_t address;  // upper + the record's own 16-bit address
        uint32_t own;
        std::vector<uint8_t> bytes;
    };
    std::vector<Placed> placed;
    std::string text;
    int64_t upper = 0, firstUpper = -1;
    uint32_t next = 0;  // 16-bit address of the next contiguous record
    size_t at = 0;
    auto take = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t kind = take();
        const bool crlf = kind & 0x80;
        switch (kind % 8) {
            case 5: next = take() << 8, next |= take(); break;  // a jump: gaps and overlaps
            case 6: {
                const uint8_t value[2] = {take(), take()};
                const bool linear = value[1] & 1;
                upper = linear ? int64_t{value[0] << 8 | value[1]} << 16 : int64_t{value[0] << 8 | value[1]} << 4;
                if (firstUpper < 0 && placed.empty()) firstUpper = upper;
                text += Record(linear ? 4 : 2, 0, value, 2, crlf);
                break;
            }
            case 7: text += Record(3, 0, data + at, std::min<size_t>(4, size - at), crlf), at += 4; break;
            default: {
                size_t count = std::min<size_t>({size_t{take()} % 33, size - std::min(at, size), 0x10000 - next});
                placed.push_back({upper + next, next, std::vector<uint8_t>(data + at, data + at + count)});
                text += Record(0, static_cast<uint16_t>(next), data + at, count, crlf);
                at += count;
                next = (next + count) & 0xFFFF;
            }
        }
    }
    text += ":00000001FF\n";

    // Offset 0 is the first data record's address plus the upper address of
    // an extended record met before it (none: offset 0 is address 0).
    const int64_t base = placed.empty() || firstUpper < 0 ? 0 : firstUpper + placed[0].own;
    int64_t reach = 0;
    bool below = false;
    for (const Placed& p : placed) {
        if (p.address < base) below = true;
        else reach = std::max<int64_t>(reach, p.address - base + static_cast<int64_t>(p.bytes.size()));
    }
    const Converted got = Convert(text, "structured");
    if (below) return Check(!got.ok && got.image.empty(), "a record below the image start fails the conversion");
    if (reach > static_cast<int64_t>(kImageLimit)) return Check(!got.ok, "an image past the limit fails the conversion");
    std::vector<uint8_t> model(static_cast<size_t>(reach), 0xFF);
    std::vector<bool> given(model.size());
    bool differ = false;  // two records give one address different bytes
    for (const Placed& p : placed)
        for (size_t i = 0; i < p.bytes.size(); ++i) {
            const auto offset = static_cast<size_t>(p.address - base) + i;
            differ = differ || (given[offset] && model[offset] != p.bytes[i]);
            model[offset] = p.bytes[i];
            given[offset] = true;
        }
    if (differ) return Check(!got.ok, "records that disagree about a byte fail the conversion");
    // Every record at its place, gaps 0xFF, up to the end of the highest.
    Check(got.ok && got.image == model, "every record lands at its place");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0 && data[0] == '!') {
        Structured(data + 1, size - 1);
        return 0;
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Converted first = Convert(text, "raw");
    const ReadBack again = ReadAsFormat(text, "again.hex", kImageLimit);
    Check(first.ok == again.report.ok && first.image == again.image.bytes,
          "the converter and the reader make the same image of the same file");
    if (!first.ok) return 0;
    // The program's own HEX writer, read back: the same image at the same address.
    std::string written;
    if (!WriteAsFormat(again.image, "written.hex", written)) {
        Check(again.image.address + again.image.bytes.size() > (uint64_t{1} << 32),
              "only an image past 4 GiB cannot be written as HEX");
        return 0;
    }
    const ReadBack back = ReadAsFormat(written, "back.hex", kImageLimit);
    Check(back.report.ok && back.image.bytes == first.image &&
              (first.image.empty() || back.image.address == again.image.address),
          "an image written as HEX converts back to itself");
    return 0;
}
