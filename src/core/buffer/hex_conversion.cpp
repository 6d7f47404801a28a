#include "core/buffer/hex_conversion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/buffer/hex_digits.h"
#include "core/buffer/source_text.h"
#include "core/buffer/image_formats.h"
#include "core/buffer/record_coverage.h"
#include "core/texts/text_catalogue.h"

// How this converter treats input the format leaves open:
// - A line ends with a line feed, a carriage return or both, however long
//   it is; blank lines are skipped. Only the characters a record needs are
//   read (':' + 8 + two per data byte, then the checksum); anything after
//   them is never looked at. Records of up to 255 data bytes are read whole.
// - A record whose digits are all there must add up to its checksum, as the
//   toolchains that write these files require: one that does not, or that
//   ends before its checksum, fails the conversion naming its line.
// - A record whose needed characters include one that is not a hex digit, or
//   whose line ends before them, is skipped and reported; it places no byte,
//   adds nothing to the length and does not fix the image start.
// - Every data record lands at its place: the image reaches to the end of the
//   highest record, and bytes no record covers are 0xFF. A data record that
//   cannot be placed, below the image start or beyond the largest image from
//   it, fails the conversion with its line and address: no byte is dropped
//   or misplaced silently. Records over the same address must agree: the
//   same bytes again are accepted, different ones fail the conversion naming
//   both lines, since either could be the one meant.
// - The first end-of-file record ends the conversion. Anything after it is
//   ignored; when that is more than blank space, a warning says so. Without
//   one the data is loaded with a warning that the file may be cut short;
//   when its last line is a record cut short, the conversion fails on it.
// - Record types other than 00, 01, 02 and 04 are ignored; types above 05,
//   which the format does not define, are reported.

namespace tq {
namespace {

constexpr std::size_t kMaxRecordWarnings = 20;
// The image's memory is reserved up to this size at once, so a large image
// is not copied as it grows; beyond it, it doubles.
constexpr uint64_t kMaxReserve = uint64_t{512} << 20;
constexpr uint8_t kUncovered = 0xFF;
constexpr std::size_t kGrowth = std::size_t{1} << 20;

bool IsBlank(const char* begin, const char* end) {
    return std::all_of(begin, end, [](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == 0x1A; });
}

// Why a record whose data digits are all there does not add up: its line
// ends before the checksum, or the checksum differs. Nothing when it adds up
// or when a digit is wrong (such a record is skipped and reported).
std::optional<TextId> ChecksumFault(std::string_view record, std::size_t count) {
    if (record.size() < 9 + 2 * count) return std::nullopt;
    if (record.size() < 11 + 2 * count) return TextId::RecordLengthMismatch;
    uint8_t bytes[5 + 255];
    if (!ReadHexBytes(record.data() + 1, count + 5, bytes)) return std::nullopt;
    uint8_t sum = 0;
    for (std::size_t i = 0; i < count + 5; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != 0) return TextId::RecordChecksumMismatch;
    return std::nullopt;
}

// Hands out the lines of the text one at a time, telling the progress
// about once a megabyte.
class LineReader {
public:
    LineReader(std::string_view text, const ConversionProgress& progress) : text_(text), progress_(progress) {}

    // The next line without its line feed; false at the end of the text.
    bool Next(std::string_view& line) {
        if (position_ >= text_.size()) return false;
        const char* start = text_.data() + position_;
        const std::size_t available = text_.size() - position_;
        // A record's byte count says where its line likely ends.
        const int count = available >= 3 && start[0] == ':' ? HexPairValue(start + 1) : -1;
        const std::size_t length = LineLength(start, available, count < 0 ? 0 : 11 + 2 * static_cast<std::size_t>(count));
        line = std::string_view(start, length);
        position_ += length + 1;
        ++lineNumber_;
        if (progress_ && position_ >= nextReport_) {
            progress_(std::min<uint64_t>(position_, text_.size()), text_.size());
            nextReport_ = position_ + kProgressStep;
        }
        return true;
    }
    // Whether everything after the last line handed out is blank space.
    bool RestIsBlank() const {
        return position_ >= text_.size() || IsBlank(text_.data() + position_, text_.data() + text_.size());
    }
    // 1-based number of the last line handed out.
    uint64_t lineNumber() const { return lineNumber_; }

private:
    static constexpr std::size_t kProgressStep = std::size_t{1} << 20;
    std::string_view text_;
    const ConversionProgress& progress_;
    std::size_t position_ = 0;
    std::size_t nextReport_ = 0;
    uint64_t lineNumber_ = 0;
};

// The image's bytes, grown as records arrive: gaps become uncovered bytes,
// and memory is reserved ahead so that a large image is rarely copied.
class ImageBytes {
public:
    // The first reservation is `expected` bytes; growth doubles, never past `limit`.
    ImageBytes(uint64_t expected, uint64_t limit) : expected_(expected), limit_(limit) {}

    // Where the bytes [offset, end) go; the caller writes every one of them.
    uint8_t* Span(std::size_t offset, std::size_t end);
    // Cuts the image to `size` bytes or extends it with uncovered ones.
    void Resize(std::size_t size);
    // A byte already written.
    uint8_t At(uint64_t offset) const { return bytes_[static_cast<std::size_t>(offset)]; }
    // Hands the bytes over; the image is empty afterwards.
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    void Reserve(std::size_t end);

    const uint64_t expected_;
    const uint64_t limit_;
    std::vector<uint8_t> bytes_;
};

uint8_t* ImageBytes::Span(std::size_t offset, std::size_t end) {
    if (end > bytes_.size()) {
        Reserve(end);
        // Grown a megabyte at a time within the reserved memory, uncovered
        // until written: a call per record would cost more than the records.
        // Finish cuts the image to its end.
        bytes_.resize(std::max(end, std::min(bytes_.size() + kGrowth, bytes_.capacity())), kUncovered);
    }
    return bytes_.data() + offset;
}

void ImageBytes::Resize(std::size_t size) {
    Reserve(size);
    bytes_.resize(size, kUncovered);
}

void ImageBytes::Reserve(std::size_t end) {
    if (end <= bytes_.capacity()) return;
    const uint64_t wanted =
        bytes_.capacity() == 0 ? std::min(expected_, kMaxReserve) : uint64_t{bytes_.capacity()} * 2;
    bytes_.reserve(static_cast<std::size_t>(std::max<uint64_t>(end, std::min(wanted, limit_))));
}

enum class LineResult { Continue, NotARecord, End, Unplaceable, Conflict, BadChecksum };

// Decodes records one line at a time into the image.
class HexImage {
public:
    HexImage(uint64_t limit, uint64_t expected, std::vector<std::string>& warnings, const TextPicker& text)
        : limit_(limit), text_(text), warnings_(warnings), image_(std::min(limit, expected), limit) {}

    LineResult Line(std::string_view line, uint64_t lineNumber);
    // Only looks for the first data record over `address`, placing nothing.
    void Probe(uint64_t address) { probe_ = address; }
    // The line of that record; 0 while none was met.
    uint64_t probeLine() const { return probeLine_; }
    // The address two records give different bytes for, once Line said Conflict.
    uint64_t conflict() const { return conflict_; }
    // Whether the last record read was skipped, and why: a file that ends on
    // one was likely cut short in it.
    bool endsOnSkippedRecord() const { return lastRecord_ != 0 && lastSkipped_ == lastRecord_; }
    const std::string& lastSkipReason() const { return lastSkipReason_; }
    uint64_t lastRecordLine() const { return lastRecord_; }
    // Adds the summary of skipped records beyond the ones reported singly.
    void SummariseSkips();
    // The image as written: up to the end of the highest record.
    ImageBytes& Finish();
    // Why a record could not be placed; empty while every record was.
    const std::string& unplaced() const { return unplaced_; }
    // Which record did not add up, once Line said BadChecksum.
    const std::string& refusal() const { return refusal_; }
    // The address of image offset 0.
    uint64_t base() const { return base_; }
    // Whether any data record was placed.
    bool placedAny() const { return baseFixed_; }

    void Warn(const std::string& text) { warnings_.push_back(text); }

private:
    void Skip(uint64_t lineNumber, TextId why, std::initializer_list<std::string_view> values = {});
    void DataRecord(std::string_view line, std::size_t count, uint64_t address, uint64_t lineNumber);
    void ExtendedAddress(std::string_view line, uint8_t type, uint64_t lineNumber);
    // Decodes a data record's checked hex text into its place.
    bool Place(uint64_t recordAddress, const char* text, std::size_t count, uint64_t lineNumber);

    const uint64_t limit_;  // the largest image
    const TextPicker text_;
    std::string unplaced_;
    std::string refusal_;
    std::vector<std::string>& warnings_;
    ImageBytes image_;
    RecordCoverage coverage_;
    uint64_t upper_ = 0;
    uint64_t reach_ = 0;  // one past the highest offset any data record covered
    uint64_t base_ = 0;
    bool baseFixed_ = false;
    bool extendedSeen_ = false;
    bool pendingSet_ = false;
    uint64_t pending_ = 0;
    std::size_t recordWarnings_ = 0;
    std::optional<uint64_t> probe_;
    uint64_t probeLine_ = 0;
    uint64_t conflict_ = 0;
    bool conflicted_ = false;
    uint64_t lastSkipped_ = 0;
    uint64_t lastRecord_ = 0;
    std::string lastSkipReason_;
};

void HexImage::Skip(uint64_t lineNumber, TextId why, std::initializer_list<std::string_view> values) {
    lastSkipped_ = lineNumber;
    lastSkipReason_ = text_(why, values);
    if (recordWarnings_++ < kMaxRecordWarnings)
        Warn(text_(TextId::ImageRecordSkipped, {std::to_string(lineNumber), lastSkipReason_}));
}

LineResult HexImage::Line(std::string_view line, uint64_t lineNumber) {
    if (line.empty() || line[0] != ':')
        return IsBlank(line.data(), line.data() + line.size()) ? LineResult::Continue : LineResult::NotARecord;
    lastRecord_ = lineNumber;
    if (line.back() == '\r') line.remove_suffix(1);
    uint8_t head[4];
    if (line.size() < 9) {
        Skip(lineNumber, TextId::HexHeaderTooShort);
        return LineResult::Continue;
    }
    if (!ReadHexBytes(line.data() + 1, 4, head)) {
        Skip(lineNumber, TextId::HexHeaderNotHex);
        return LineResult::Continue;
    }
    if (const auto why = ChecksumFault(line, head[0])) {
        refusal_ = text_(TextId::ImageLineSays, {std::to_string(lineNumber), text_(*why)});
        return LineResult::BadChecksum;
    }
    const uint8_t type = head[3];
    switch (type) {
        case 0x00:
            DataRecord(line, head[0], static_cast<uint64_t>(head[1]) << 8 | head[2], lineNumber);
            if (conflicted_) return LineResult::Conflict;
            return unplaced_.empty() ? LineResult::Continue : LineResult::Unplaceable;
        case 0x01:
            return LineResult::End;
        case 0x02:
        case 0x04:
            ExtendedAddress(line, type, lineNumber);
            return LineResult::Continue;
        default:
            if (type > 0x05) Skip(lineNumber, TextId::HexUnknownRecordType, {HexAddressText(type, 2)});
            return LineResult::Continue;
    }
}

void HexImage::DataRecord(std::string_view line, std::size_t count, uint64_t address, uint64_t lineNumber) {
    if (line.size() < 9 + 2 * count) {
        Skip(lineNumber, TextId::HexDataTooShort, {std::to_string(count)});
        return;
    }
    // Checked before any byte is placed: a skipped record changes nothing.
    if (!AllHexDigits(line.data() + 9, count)) {
        Skip(lineNumber, TextId::HexDataNotHex);
        return;
    }
    Place(address, line.data() + 9, count, lineNumber);
}

void HexImage::ExtendedAddress(std::string_view line, uint8_t type, uint64_t lineNumber) {
    uint8_t value[2];
    if (line.size() < 13) {
        Skip(lineNumber, TextId::HexExtendedTooShort);
        return;
    }
    if (!ReadHexBytes(line.data() + 9, 2, value)) {
        Skip(lineNumber, TextId::HexExtendedNotHex);
        return;
    }
    const uint64_t number = static_cast<uint64_t>(value[0]) << 8 | value[1];
    const uint64_t upper = type == 0x04 ? number << 16 : number << 4;
    // Only the first extended record, and only before any data, says where
    // the image starts.
    if (!extendedSeen_ && !baseFixed_) {
        pending_ = upper;
        pendingSet_ = true;
    }
    extendedSeen_ = true;
    upper_ = upper;
}

bool HexImage::Place(uint64_t recordAddress, const char* text, std::size_t count, uint64_t lineNumber) {
    if (!baseFixed_) {
        base_ = pendingSet_ ? pending_ + recordAddress : 0;
        baseFixed_ = true;
    }
    const uint64_t address = upper_ + recordAddress;
    if (probe_) {
        if (probeLine_ == 0 && address <= *probe_ && *probe_ - address < count) probeLine_ = lineNumber;
        return true;
    }
    const auto atLine = [&](const std::string& why) {
        return text_(TextId::ImageLineSays, {std::to_string(lineNumber), why});
    };
    if (address < base_) {
        unplaced_ = atLine(text_(TextId::ImageDataBelowStart, {HexAddressText(address, 8), HexAddressText(base_, 8)}));
        return false;
    }
    const uint64_t offset = address - base_;
    if (offset + count > limit_) {
        unplaced_ = atLine(text_(TextId::ImageDataBeyondLargest,
                                 {HexAddressText(address, 8), std::to_string(limit_ >> 20), HexAddressText(base_, 8)}));
        return false;
    }
    const auto start = static_cast<std::size_t>(offset);
    if (start < reach_) {
        // Over addresses an earlier record may have given: the bytes must agree.
        uint8_t bytes[255];
        DecodeHexDigits(text, count, bytes);
        const std::optional<uint64_t> differs =
            coverage_.Add(offset, offset + count, [&](uint64_t from, uint64_t to) -> std::optional<uint64_t> {
                for (uint64_t at = from; at < to; ++at)
                    if (image_.At(at) != bytes[at - offset]) return at;
                return std::nullopt;
            });
        if (differs) {
            conflicted_ = true;
            conflict_ = base_ + *differs;
            return false;
        }
        reach_ = std::max(reach_, offset + count);
        if (count > 0) std::memcpy(image_.Span(start, start + count), bytes, count);
        return true;
    }
    coverage_.Add(offset, offset + count, [](uint64_t, uint64_t) { return std::optional<uint64_t>(); });
    reach_ = offset + count;
    if (count == 0) return true;
    DecodeHexDigits(text, count, image_.Span(start, start + count));
    return true;
}

void HexImage::SummariseSkips() {
    if (recordWarnings_ > kMaxRecordWarnings)
        Warn(text_(TextId::ImageMoreRecordsSkipped, {std::to_string(recordWarnings_ - kMaxRecordWarnings)}));
}

ImageBytes& HexImage::Finish() {
    SummariseSkips();
    image_.Resize(static_cast<std::size_t>(std::min(reach_, limit_)));
    return image_;
}

// Feeds the lines to the image up to the first that is no record, the
// end-of-file record or the end of the text.
LineResult DecodeLines(LineReader& lines, HexImage& image) {
    std::string_view line;
    while (lines.Next(line)) {
        const LineResult result = image.Line(line, lines.lineNumber());
        if (result != LineResult::Continue) return result;
    }
    return LineResult::Continue;
}

// Why nothing is written when the decoding stopped before an end-of-file record.
std::string EmptyImageReason(LineResult result, uint64_t lineNumber, const TextPicker& text) {
    if (result == LineResult::NotARecord) return text(TextId::HexLineNotRecord, {std::to_string(lineNumber)});
    return text(TextId::HexNoEndRecord);
}

}  // namespace

ConversionReport ReadIntelHex(SourceFile& file, const ImageReadOptions& options, Image& image) {
    ConversionReport report;
    const TextPicker says(options.language);
    SourceText source;
    if (!source.Load(file, report, says)) return report;
    const std::string_view text = source.text();
    // Contiguous data takes two characters per byte: the likely image size.
    HexImage decoder(options.maxImageBytes, text.size() / 2, report.warnings, says);
    LineReader lines(text, options.progress);
    const LineResult result = DecodeLines(lines, decoder);
    if (options.progress) options.progress(text.size(), text.size());
    const auto fail = [&](const std::string& why) {
        report.ok = false;
        report.error = file.path().string() + ": " + why;
        return report;
    };
    if (result == LineResult::Unplaceable) return fail(decoder.unplaced());
    if (result == LineResult::BadChecksum) return fail(decoder.refusal());
    if (result == LineResult::Conflict) {
        // The earlier record over that address is found by reading the lines again.
        std::vector<std::string> unused;
        HexImage probe(options.maxImageBytes, 0, unused, says);
        probe.Probe(decoder.conflict());
        const ConversionProgress silent;  // the reader keeps a reference: it must outlive it
        LineReader again(text, silent);
        DecodeLines(again, probe);
        return fail(says(TextId::ImageOverlapDiffers, {std::to_string(probe.probeLine()),
                                                       std::to_string(lines.lineNumber()),
                                                       HexAddressText(decoder.conflict(), 8)}));
    }
    const bool cutShort = result == LineResult::Continue && decoder.placedAny();
    if (cutShort && decoder.endsOnSkippedRecord())
        return fail(says(TextId::ImageLineSays, {std::to_string(decoder.lastRecordLine()), decoder.lastSkipReason()}));
    if (result != LineResult::End && !cutShort) {
        decoder.SummariseSkips();
        decoder.Warn(EmptyImageReason(result, lines.lineNumber(), says));
        report.leftEmpty = true;
        return report;
    }
    if (cutShort) decoder.Warn(says(TextId::ImageEndRecordMissing, {"01"}));
    // Records after the end-of-file record are ignored; say so when there are any.
    if (!cutShort && !lines.RestIsBlank())
        decoder.Warn(says(TextId::HexAfterEndRecord, {std::to_string(lines.lineNumber())}));
    image.bytes = decoder.Finish().Take();
    image.address = report.imageAddress = decoder.base();
    report.imageSize = image.bytes.size();
    return report;
}

ConversionReport HexToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                          uint64_t maxImageBytes, const ConversionProgress& progress) {
    return ConvertToBinaryFile(ReadIntelHex, source, destination, {maxImageBytes, UINT64_MAX, progress});
}

namespace {

constexpr std::size_t kRecordBytes = 16;

// ":" count, address, type, data, checksum (two's complement of the sum).
char* PutHexRecord(char* out, uint8_t type, uint16_t address, const uint8_t* data, std::size_t count) {
    uint8_t sum = static_cast<uint8_t>(count + (address >> 8) + address + type);
    *out++ = ':';
    out = PutHexByte(out, static_cast<uint8_t>(count));
    out = PutHexByte(out, static_cast<uint8_t>(address >> 8));
    out = PutHexByte(out, static_cast<uint8_t>(address));
    out = PutHexByte(out, type);
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + data[i]);
    out = PutHexBytes(out, data, count);
    out = PutHexByte(out, static_cast<uint8_t>(-sum));
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// The longest record: ':', four header bytes, the data, the checksum, CR LF.
constexpr std::size_t RecordRoom(std::size_t count) { return 1 + 2 * (4 + count + 1) + 2; }

}  // namespace

bool WriteIntelHex(const ImageSpan& image, std::string_view, const ByteSink& sink, std::string& error,
                   int32_t language) {
    const std::size_t length = image.bytes.size();
    const uint64_t last = image.address + (length == 0 ? 0 : length - 1);
    if (last > 0xFFFFFFFF) {
        error = Text(language, TextId::AddressesDoNotFitFormat, {HexAddressText(image.address, 8), HexAddressText(last, 8)});
        return false;
    }
    TextBlock out(sink);
    const uint8_t* data = image.bytes.data();
    uint64_t upper = ~uint64_t{0};
    for (std::size_t at = 0; at < length;) {
        const uint64_t where = image.address + at;
        char* text = out.Reserve(RecordRoom(2) + RecordRoom(kRecordBytes));
        if (where >> 16 != upper) {
            upper = where >> 16;
            const uint8_t value[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            text = PutHexRecord(text, 0x04, 0, value, 2);
        }
        // A record never crosses a 64 KiB boundary.
        const std::size_t count = static_cast<std::size_t>(
            std::min<uint64_t>({kRecordBytes, length - at, 0x10000 - (where & 0xFFFF)}));
        out.Advance(PutHexRecord(text, 0x00, static_cast<uint16_t>(where), data + at, count));
        at += count;
    }
    out.Advance(PutHexRecord(out.Reserve(RecordRoom(0)), 0x01, 0, nullptr, 0));
    return out.Finish();
}

}  // namespace tq
