#include "core/buffer/srec_conversion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/buffer/hex_digits.h"
#include "core/buffer/record_coverage.h"
#include "core/buffer/source_text.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

bool IsBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '\r' || c == ' ' || c == '\t' || c == 0x1A; });
}

constexpr std::size_t kGrowth = std::size_t{1} << 20;

// Address bytes of each record type; 0 for the reserved type 4.
constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

// The sum of `count` bytes, eight at a time: up to seven bytes after them are read.
unsigned ByteSum(const uint8_t* bytes, std::size_t count) {
    constexpr uint64_t kEvenBytes = 0x00FF00FF00FF00FFu;
    uint64_t lanes = 0;  // four 16-bit sums: no record is long enough to overflow one
    for (std::size_t i = 0; i < count; i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (const std::size_t kept = count - i; kept < 8)
            word &= std::endian::native == std::endian::little ? ~uint64_t{0} >> (64 - 8 * kept)
                                                               : ~uint64_t{0} << (64 - 8 * kept);
        lanes += (word & kEvenBytes) + (word >> 8 & kEvenBytes);
    }
    return static_cast<unsigned>((lanes * 0x0001000100010001u) >> 48);
}

// No sound record has more digit pairs: a count byte and up to 255 more.
constexpr std::size_t kMaxPairs = 256;

// One checked record; `data` points at its decoded data bytes.
struct Record {
    int type = 0;
    uint64_t address = 0;
    const uint8_t* data = nullptr;
    std::size_t count = 0;
    uint8_t bytes[256 + 8];  // count, address, data, checksum as decoded; room to read a word past them
};

// Checks one line and reads its type and address; false with `why` when it is no sound record.
// `readable` characters from the line's start may be looked at.
bool ReadRecord(std::string_view line, std::size_t readable, Record& record, std::string& why,
                const TextPicker& text) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.size() < 4 || (line[0] != 'S' && line[0] != 's')) {
        why = text(TextId::SrecNotRecord);
        return false;
    }
    const int type = line[1] - '0';
    if (type < 0 || type > 9 || kAddressBytes[type] == 0) {
        why = text(TextId::SrecUnknownRecordType);
        return false;
    }
    const std::size_t pairs = (line.size() - 2) / 2;
    uint8_t* bytes = record.bytes;
    // No sound record has more than 256 bytes; a longer line is checked for
    // its digits first, so that a wrong character is named before the length.
    const bool hex = pairs > kMaxPairs ? AllHexDigits(line.data() + 2, pairs)
                                                 : ReadHexBytes(line.data() + 2, pairs, bytes, readable - 2);
    if (!hex) {
        why = text(TextId::SrecNotHex);
        return false;
    }
    const std::size_t count = pairs > kMaxPairs ? 0 : bytes[0];
    const auto addressBytes = static_cast<std::size_t>(kAddressBytes[type]);
    if (line.size() % 2 != 0 || pairs != count + 1 || count < addressBytes + 1) {
        why = text(TextId::RecordLengthMismatch);
        return false;
    }
    if ((ByteSum(bytes, count + 1) & 0xFF) != 0xFF) {
        why = text(TextId::RecordChecksumMismatch);
        return false;
    }
    record.type = type;
    record.address = uint64_t{bytes[1]} << 8 | bytes[2];
    for (std::size_t i = 2; i < addressBytes; ++i) record.address = record.address << 8 | bytes[1 + i];
    record.data = bytes + 1 + addressBytes;
    record.count = count - addressBytes - 1;
    return true;
}

// The characters of the record starting at `text` by its byte count, before
// any line end; 0 when it starts with no count.
std::size_t ExpectedLength(const char* text, std::size_t available) {
    const int count = available >= 4 && (text[0] == 'S' || text[0] == 's') ? HexPairValue(text + 2) : -1;
    return count < 0 ? 0 : 4 + 2 * static_cast<std::size_t>(count);
}

// Walks the lines of the text up to the end record, handing each sound
// record to `use`; stops at the first that is not sound or that `use` refuses.
class RecordWalk {
public:
    RecordWalk(std::string_view text, std::string source, const TextPicker& says)
        : text_(text), source_(std::move(source)), says_(says) {}

    template <typename Use>
    bool Walk(ConversionReport& report, Use use) {
        std::size_t position = 0;
        uint64_t lineNumber = 0;
        ended_ = false;
        while (position < text_.size()) {
            const char* start = text_.data() + position;
            const std::size_t available = text_.size() - position;
            Record record;
            std::string why;
            // A record read sound up to where its byte count says was all
            // digits, so its line held no line feed: no search is needed.
            const std::size_t guess = GuessedLineLength(start, available, ExpectedLength(start, available));
            bool sound = guess > 0 && ReadRecord(std::string_view(start, guess), available, record, why, says_);
            const std::size_t length = sound ? guess : LineLength(start, available);
            const std::string_view line(start, length);
            position += length + 1;
            ++lineNumber;
            // A record starts with its letter; only other lines can be blank.
            if ((length == 0 || (start[0] != 'S' && start[0] != 's')) && IsBlank(line)) continue;
            if (ended_) {
                report.warnings.push_back(says_(TextId::SrecAfterEndRecord, {std::to_string(lineNumber)}));
                return true;
            }
            if (!sound) sound = ReadRecord(line, available, record, why, says_);
            if (!sound || !use(record, lineNumber, why)) {
                report.ok = false;
                report.error = source_ + ": " + says_(TextId::ImageLineSays, {std::to_string(lineNumber), why});
                return false;
            }
            if (record.type >= 7) ended_ = true;
        }
        return true;
    }
    bool ended() const { return ended_; }

private:
    std::string_view text_;
    std::string source_;
    const TextPicker says_;
    bool ended_ = false;
};

bool IsDataRecord(const Record& record) { return record.type >= 1 && record.type <= 3; }

// Adds a record's addresses to those covered; where it repeats covered ones,
// the first address whose byte differs from the one the image holds there
// (bytes[0] is address `base`), and then nothing is added.
std::optional<uint64_t> Cover(RecordCoverage& coverage, const Record& record, const std::vector<uint8_t>& bytes,
                              uint64_t base) {
    return coverage.Add(record.address, record.address + record.count,
                        [&](uint64_t from, uint64_t to) -> std::optional<uint64_t> {
                            for (uint64_t at = from; at < to; ++at)
                                if (bytes[at - base] != record.data[at - record.address]) return at;
                            return std::nullopt;
                        });
}

// The line of the first data record over `address`.
uint64_t FirstLineOver(RecordWalk& walk, uint64_t address) {
    uint64_t found = 0;
    ConversionReport unused;
    walk.Walk(unused, [&](const Record& record, uint64_t lineNumber, std::string&) {
        if (!IsDataRecord(record) || address < record.address || address - record.address >= record.count) return true;
        found = lineNumber;
        return false;
    });
    return found;
}

}  // namespace

// Records in rising order, the usual case, are placed as they are checked,
// from the first one's address. A record below that address, or one beyond
// the largest image from it, leaves the placing to a second walk that starts
// at the lowest address and names the first record that does not fit.
ConversionReport ReadSrec(SourceFile& file, const ImageReadOptions& options, Image& image) {
    const TextPicker says(options.language);
    ConversionReport report;
    SourceText source;
    if (!source.Load(file, report, says)) return report;
    const std::string_view text = source.text();
    RecordWalk walk(text, file.path().string(), says);
    std::vector<uint8_t>& bytes = image.bytes;
    bytes.reserve(static_cast<std::size_t>(std::min<uint64_t>(text.size() / 2, options.maxImageBytes)));
    uint64_t dataRecords = 0, placed = 0, base = UINT64_MAX, end = 0;
    bool inPlace = true;
    RecordCoverage coverage;
    std::optional<uint64_t> conflict;  // an address two records give different bytes for
    uint64_t conflictLine = 0;
    const auto differ = [&](uint64_t address, uint64_t lineNumber) {
        conflict = address;
        conflictLine = lineNumber;
        return false;
    };
    const bool checked = walk.Walk(report, [&](const Record& record, uint64_t lineNumber, std::string& why) {
        if (IsDataRecord(record)) {
            if (record.address + record.count > uint64_t{1} << 32) {
                why = says(TextId::SrecPast32Bits);
                return false;
            }
            ++dataRecords;
            // A record without data places nothing and does not stretch the image.
            if (record.count == 0) return true;
            if (placed++ == 0) base = record.address;
            inPlace = inPlace && record.address >= base && record.address + record.count - base <= options.maxImageBytes;
            if (inPlace) {
                if (const auto at = Cover(coverage, record, bytes, base)) return differ(*at, lineNumber);
                const auto offset = static_cast<std::size_t>(record.address - base);
                // Grown a megabyte at a time within the reserved memory (a call per record costs more
                // than the records); cut to the image's end below.
                if (offset + record.count > bytes.size())
                    bytes.resize(std::max(offset + record.count, std::min(bytes.size() + kGrowth, bytes.capacity())),
                                 0xFF);
                std::memcpy(bytes.data() + offset, record.data, record.count);
            }
            base = std::min(base, record.address);
            end = std::max(end, record.address + record.count);
        } else if ((record.type == 5 || record.type == 6) && record.address != dataRecords) {
            why = says(TextId::SrecCountMismatch, {std::to_string(record.address), std::to_string(dataRecords)});
            return false;
        }
        return true;
    });
    if (options.progress) options.progress(text.size(), text.size());
    // Names both lines that give the address different bytes.
    const auto refuseConflict = [&]() {
        bytes.clear();
        report.ok = false;
        report.error = file.path().string() + ": " +
                       says(TextId::ImageOverlapDiffers, {std::to_string(FirstLineOver(walk, *conflict)),
                                                          std::to_string(conflictLine), HexAddressText(*conflict, 8)});
        return report;
    };
    if (conflict) return refuseConflict();
    if (!checked || placed == 0) {
        bytes.clear();
        if (checked) {
            report.warnings.push_back(says(walk.ended() ? TextId::SrecNoDataRecords : TextId::SrecNoEndRecord));
            report.leftEmpty = true;
        }
        return report;
    }
    if (!walk.ended()) report.warnings.push_back(says(TextId::ImageEndRecordMissing, {"S7/S8/S9"}));
    if (!inPlace) {
        // Too wide an image is never allocated: the walk stops at the first record beyond it.
        const bool fits = end - base <= options.maxImageBytes;
        bytes.assign(fits ? static_cast<std::size_t>(end - base) : 0, 0xFF);
        ConversionReport placing;
        RecordCoverage coveredAgain;
        walk.Walk(placing, [&](const Record& record, uint64_t lineNumber, std::string& why) {
            if (!IsDataRecord(record) || record.count == 0) return true;
            if (record.address + record.count - base > options.maxImageBytes) {
                why = says(TextId::ImageDataBeyondLargest, {HexAddressText(record.address, 8),
                                                            std::to_string(options.maxImageBytes >> 20),
                                                            HexAddressText(base, 8)});
                return false;
            }
            // Too wide: nothing was allocated, the walk only looks for the record to name.
            if (!fits) return true;
            if (const auto at = Cover(coveredAgain, record, bytes, base)) return differ(*at, lineNumber);
            std::memcpy(bytes.data() + (record.address - base), record.data, record.count);
            return true;
        });
        if (conflict) return refuseConflict();
        if (!placing.ok) {
            bytes.clear();
            report.ok = false;
            report.error = placing.error;
            return report;
        }
    }
    if (inPlace) bytes.resize(static_cast<std::size_t>(end - base));
    image.address = report.imageAddress = base;
    report.imageSize = bytes.size();
    return report;
}

ConversionReport SrecToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                           uint64_t maxImageBytes) {
    return ConvertToBinaryFile(ReadSrec, source, destination, {maxImageBytes, UINT64_MAX, {}});
}

namespace {

constexpr std::size_t kRecordBytes = 16;

// "S" type, count, address, data, checksum (ones' complement of the sum).
char* PutSrecRecord(char* out, int type, int addressBytes, uint64_t address, const uint8_t* data, std::size_t count) {
    *out++ = 'S';
    *out++ = static_cast<char>('0' + type);
    const auto length = static_cast<uint8_t>(addressBytes + count + 1);
    uint8_t sum = length;
    out = PutHexByte(out, length);
    for (int i = addressBytes - 1; i >= 0; --i) {
        const auto byte = static_cast<uint8_t>(address >> (8 * i));
        out = PutHexByte(out, byte);
        sum = static_cast<uint8_t>(sum + byte);
    }
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    out = PutHexBytes(out, data, count);
    out = PutHexByte(out, static_cast<uint8_t>(~sum));
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// "S", type, count, four address bytes, the data, the checksum, CR LF.
constexpr std::size_t RecordRoom(std::size_t count) { return 2 + 2 * (1 + 4 + count + 1) + 2; }

// Address bytes of the record type the extension asks for: ".srec" the
// narrowest the addresses fit, ".s19" S1, ".s28" S2, ".s37" S3; 0 when the
// addresses do not fit.
int AddressBytesFor(std::string_view extension, uint64_t lastAddress) {
    const int needed = lastAddress <= 0xFFFF ? 2 : lastAddress <= 0xFFFFFF ? 3 : lastAddress <= 0xFFFFFFFF ? 4 : 5;
    const int chosen = extension == "s19" ? 2 : extension == "s28" ? 3 : extension == "s37" ? 4 : needed;
    return chosen >= needed && chosen <= 4 ? chosen : 0;
}

}  // namespace

bool WriteSrec(const ImageSpan& image, std::string_view extension, const ByteSink& sink, std::string& error,
               int32_t language) {
    const std::size_t length = image.bytes.size();
    const uint64_t last = image.address + (length == 0 ? 0 : length - 1);
    const int addressBytes = AddressBytesFor(extension, last);
    if (addressBytes == 0) {
        error = Text(language, TextId::AddressesDoNotFitFormat, {HexAddressText(image.address, 8), HexAddressText(last, 8)});
        return false;
    }
    const int dataType = addressBytes - 1;  // S1, S2, S3
    TextBlock out(sink);
    out.Advance(PutSrecRecord(out.Reserve(RecordRoom(0)), 0, 2, 0, nullptr, 0));
    const uint8_t* data = image.bytes.data();
    for (std::size_t at = 0; at < length; at += kRecordBytes)
        out.Advance(PutSrecRecord(out.Reserve(RecordRoom(kRecordBytes)), dataType, addressBytes, image.address + at,
                                  data + at, std::min(kRecordBytes, length - at)));
    // S9, S8, S7
    out.Advance(PutSrecRecord(out.Reserve(RecordRoom(0)), 10 - dataType, addressBytes, image.address, nullptr, 0));
    return out.Finish();
}

}  // namespace tq
