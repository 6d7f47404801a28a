// Intel HEX to binary. Input starting with '!' is turned into a well-formed
// file (checksums right, one end record) whose image a small model computes;
// any other input is converted as it is and checked for determinism and for
// a re-encoded image converting back to itself.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/buffer/hex_conversion.h"
#include "fuzz_support.h"

using namespace tq::fuzz;

namespace {

struct Converted {
    bool ok;
    std::vector<uint8_t> image;
};

// Far addresses are cheap to write in a few bytes; images stay small enough
// that every input converts in milliseconds.
constexpr uint64_t kImageLimit = uint64_t{1} << 20;

Converted Convert(const std::string& text, const char* name) {
    const auto source = Scratch(std::string(name) + ".hex");
    const auto destination = Scratch(std::string(name) + ".bin");
    WriteBytes(source, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    const bool ok = tq::HexToBin(source, destination, kImageLimit).ok;
    Check(std::filesystem::exists(destination), "the destination exists afterwards");
    return {ok, ReadBytes(destination)};
}

std::string Record(uint8_t type, uint16_t address, const uint8_t* bytes, size_t count, bool crlf) {
    std::vector<uint8_t> raw = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                                static_cast<uint8_t>(address), type};
    raw.insert(raw.end(), bytes, bytes + count);
    uint8_t sum = 0;
    for (uint8_t b : raw) sum = static_cast<uint8_t>(sum + b);
    raw.push_back(static_cast<uint8_t>(-sum));
    std::string line = ":";
    char digits[3];
    for (uint8_t b : raw) std::snprintf(digits, sizeof digits, "%02X", b), line += digits;
    return line + (crlf ? "\r\n" : "\n");
}

// The image as 16-byte records from address 0, a 04 record per 64 KiB.
std::string Encode(const std::vector<uint8_t>& image) {
    std::string text;
    for (size_t at = 0; at < image.size(); at += 16) {
        if (at % 0x10000 == 0) {
            const uint8_t upper[2] = {static_cast<uint8_t>(at >> 24), static_cast<uint8_t>(at >> 16)};
            text += Record(4, 0, upper, 2, true);
        }
        text += Record(0, static_cast<uint16_t>(at), image.data() + at, std::min<size_t>(16, image.size() - at), true);
    }
    return text + ":00000001FF\r\n";
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
    const Converted again = Convert(text, "again");
    Check(first.ok == again.ok && first.image == again.image, "the same file converts to the same image");
    if (!first.ok) return 0;
    if (first.image.size() <= (size_t{1} << 20)) {
        const Converted back = Convert(Encode(first.image), "encoded");
        Check(back.ok && back.image == first.image, "an image re-encoded as HEX converts back to itself");
    }
    return 0;
}
