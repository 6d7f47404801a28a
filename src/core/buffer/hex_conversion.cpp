#include "core/buffer/hex_conversion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/atomic_write.h"

// How this converter treats input the format leaves open:
// - A line is everything up to its line feed, however long. Only the
//   characters a record needs are read (':' + 8 + two per data byte; 13 for
//   an extended address record); anything after them, the checksum and a
//   carriage return included, is never looked at. Records of up to 255 data
//   bytes are therefore read whole.
// - A record whose needed characters include one that is not a hex digit, or
//   whose line ends before them, is skipped and reported; it places no byte,
//   adds nothing to the length and does not fix the image start.
// - Every data record lands at its place: the image reaches to the end of the
//   highest record (never shorter than the sum of the byte counts), and bytes
//   no record covers are 0xFF. A data record that cannot be placed, below the
//   image start or beyond the largest image from it, fails the conversion
//   with its line and address: no byte is dropped or misplaced silently.
// - The first end-of-file record ends the conversion. Anything after it is
//   ignored; when that is more than blank space, a warning says so.
// - Record types other than 00, 01, 02 and 04 are ignored; types above 05,
//   which the format does not define, are reported.

namespace tq {
namespace {

// Big enough for any record many times over; small enough to stay in cache
// between the read and the decoding.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;
constexpr std::size_t kMaxRecordWarnings = 20;
// The image's memory is reserved up to this size at once, so a large image
// is not copied as it grows; beyond it, it doubles.
constexpr uint64_t kMaxReserve = uint64_t{512} << 20;
constexpr uint8_t kUncovered = 0xFF;

// Hex text is handled eight characters at a time, as one word holding the
// first character in its lowest byte; the eight digits make four bytes.
constexpr uint64_t EachByte(uint64_t value) { return value * 0x0101010101010101u; }

uint64_t LoadWord(const char* text) {
    uint64_t word;
    std::memcpy(&word, text, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t reversed = 0;
        for (int i = 0; i < 8; ++i) reversed |= (word >> (8 * i) & 0xFF) << (56 - 8 * i);
        word = reversed;
    }
    return word;
}

// The first `length` (< 8) characters, the missing ones read as '0'.
uint64_t LoadPartialWord(const char* text, std::size_t length) {
    char chars[8] = {'0', '0', '0', '0', '0', '0', '0', '0'};
    std::memcpy(chars, text, length);
    return LoadWord(chars);
}

// Whether all eight characters are hex digits. Each byte's top bit says
// whether it lies in a range; a byte with its own top bit set never passes.
bool IsHexWord(uint64_t word) {
    const uint64_t lower = word | EachByte(0x20);
    const uint64_t digit = (word + EachByte(0x80 - '0')) & ~(word + EachByte(0x80 - '9' - 1));
    const uint64_t letter = (lower + EachByte(0x80 - 'a')) & ~(lower + EachByte(0x80 - 'f' - 1));
    return ((digit | letter) & ~word & EachByte(0x80)) == EachByte(0x80);
}

// The four bytes of eight hex digits, the first byte lowest.
uint32_t DecodeWord(uint64_t word) {
    // '0'-'9' keep their low nibble; letters have bit 6 set and need 9 more.
    const uint64_t nibbles = (word & EachByte(0x0F)) + (word >> 6 & EachByte(0x01)) * 9;
    uint64_t bytes = (nibbles << 4 | nibbles >> 8) & 0x00FF00FF00FF00FFu;
    bytes = (bytes | bytes >> 8) & 0x0000FFFF0000FFFFu;
    return static_cast<uint32_t>(bytes | bytes >> 16);
}

void StoreBytes(uint32_t bytes, std::size_t count, uint8_t* out) {
    if (std::endian::native == std::endian::little && count == 4) {
        std::memcpy(out, &bytes, 4);  // one store, not four
        return;
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(bytes >> (8 * i));
}

// Whether the 2 * count characters of count bytes are all hex digits.
bool AllHex(const char* text, std::size_t count) {
    bool all = true;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) all &= IsHexWord(LoadWord(text + 2 * i));
    if (i < count) all &= IsHexWord(LoadPartialWord(text + 2 * i, 2 * (count - i)));
    return all;
}

// Decodes count bytes from 2 * count characters already known to be hex digits.
void DecodeHex(const char* text, std::size_t count, uint8_t* out) {
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) StoreBytes(DecodeWord(LoadWord(text + 2 * i)), 4, out + i);
    if (i < count) StoreBytes(DecodeWord(LoadPartialWord(text + 2 * i, 2 * (count - i))), count - i, out + i);
}

bool CheckedDecodeHex(const char* text, std::size_t count, uint8_t* out) {
    if (!AllHex(text, count)) return false;
    DecodeHex(text, count, out);
    return true;
}

std::string Hex(uint64_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return text;
}

bool IsBlank(const char* begin, const char* end) {
    return std::all_of(begin, end, [](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == 0x1A; });
}

// Hands out the lines of a stream one at a time from one reused buffer. A
// line longer than the buffer is handed out cut to the buffer's length (far
// more than a record needs) and the rest of it is passed over.
class LineReader {
public:
    LineReader(std::istream& in, std::size_t bufferSize) : in_(in), buffer_(bufferSize) {}

    // Told of the bytes read so far after each refill.
    std::function<void(uint64_t read)> progress;

    // The next line without its line feed, valid until the next call; false
    // at the end of the text or when reading failed.
    bool Next(std::string_view& line);
    // Whether everything after the last line handed out is blank space.
    bool RestIsBlank();

    bool failed() const { return failed_; }
    // 1-based number of the last line handed out.
    uint64_t lineNumber() const { return lineNumber_; }

private:
    // Moves the unfinished line to the front and reads more behind it.
    bool Refill();
    bool Hand(std::string_view& line, const char* start, std::size_t length);

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t have_ = 0;      // bytes in buffer_
    std::size_t position_ = 0;  // start of the next line within buffer_
    bool atEnd_ = false;
    bool failed_ = false;
    bool cut_ = false;  // the rest of a cut line is still to be passed over
    uint64_t lineNumber_ = 0;
    uint64_t read_ = 0;
};

bool LineReader::Hand(std::string_view& line, const char* start, std::size_t length) {
    line = std::string_view(start, length);
    ++lineNumber_;
    return true;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* start = buffer_.data() + position_;
        const std::size_t available = have_ - position_;
        if (const auto* lineFeed = static_cast<const char*>(std::memchr(start, '\n', available))) {
            const auto length = static_cast<std::size_t>(lineFeed - start);
            position_ += length + 1;
            if (!std::exchange(cut_, false)) return Hand(line, start, length);
            continue;
        }
        if (atEnd_) {
            position_ = have_;
            return available > 0 && !cut_ && Hand(line, start, available);
        }
        if (available == buffer_.size()) {
            // A line longer than the buffer: hand out what is here, drop the rest.
            have_ = position_ = 0;
            if (!std::exchange(cut_, true)) return Hand(line, buffer_.data(), available);
        }
        if (!Refill()) return false;
    }
}

bool LineReader::Refill() {
    std::memmove(buffer_.data(), buffer_.data() + position_, have_ - position_);
    have_ -= position_;
    position_ = 0;
    in_.read(buffer_.data() + have_, static_cast<std::streamsize>(buffer_.size() - have_));
    if (in_.bad()) {
        failed_ = true;
        return false;
    }
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (got == 0) atEnd_ = true;
    have_ += got;
    read_ += got;
    if (progress) progress(read_);
    return true;
}

bool LineReader::RestIsBlank() {
    for (;;) {
        const char* from = buffer_.data() + position_;
        const char* to = buffer_.data() + have_;
        if (cut_) {
            // The rest of a cut line belongs to it, not to what follows.
            const auto* lineFeed = static_cast<const char*>(std::memchr(from, '\n', static_cast<std::size_t>(to - from)));
            cut_ = lineFeed == nullptr;
            from = lineFeed ? lineFeed + 1 : to;
        }
        if (!IsBlank(from, to)) return false;
        if (atEnd_) return true;
        have_ = position_ = 0;
        if (!Refill()) return true;
    }
}

// The image's bytes. Growing leaves the bytes a record is about to write
// untouched and makes only the gaps uncovered, so each byte is stored once.
class ImageBytes {
public:
    // The first reservation is `expected` bytes; growth doubles, never past `limit`.
    ImageBytes(uint64_t expected, uint64_t limit) : expected_(expected), limit_(limit) {}

    // Where the bytes [offset, end) go; the caller writes every one of them.
    uint8_t* Span(std::size_t offset, std::size_t end);
    // Cuts the image to `size` bytes or extends it with uncovered ones.
    void Resize(std::size_t size);

    const uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    void Reserve(std::size_t end);

    const uint64_t expected_;
    const uint64_t limit_;
    std::unique_ptr<uint8_t[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

uint8_t* ImageBytes::Span(std::size_t offset, std::size_t end) {
    if (end > size_) {
        Reserve(end);
        if (offset > size_) std::memset(bytes_.get() + size_, kUncovered, offset - size_);
        size_ = end;
    }
    return bytes_.get() + offset;
}

void ImageBytes::Resize(std::size_t size) {
    Reserve(size);
    if (size > size_) std::memset(bytes_.get() + size_, kUncovered, size - size_);
    size_ = size;
}

void ImageBytes::Reserve(std::size_t end) {
    if (end <= capacity_) return;
    const uint64_t wanted = capacity_ == 0 ? std::min(expected_, kMaxReserve) : uint64_t{capacity_} * 2;
    const auto capacity = static_cast<std::size_t>(std::max<uint64_t>(end, std::min(wanted, limit_)));
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
    bytes_ = std::move(bytes);
    capacity_ = capacity;
}

enum class LineResult { Continue, NotARecord, End, Unplaceable };

// Decodes records one line at a time into the image.
class HexImage {
public:
    HexImage(uint64_t limit, uint64_t expected, std::vector<std::string>& warnings)
        : limit_(limit), warnings_(warnings), image_(std::min(limit, expected), limit) {}

    LineResult Line(std::string_view line, uint64_t lineNumber);
    // Adds the summary of skipped records beyond the ones reported singly.
    void SummariseSkips();
    // The image as written: up to the end of the highest record.
    const ImageBytes& Finish();
    // Why a record could not be placed; empty while every record was.
    const std::string& unplaced() const { return unplaced_; }
    // The address of image offset 0.
    uint64_t base() const { return base_; }

    void Warn(const std::string& text) { warnings_.push_back(text); }

private:
    void Skip(uint64_t lineNumber, const std::string& why);
    void DataRecord(std::string_view line, std::size_t count, uint64_t address, uint64_t lineNumber);
    void ExtendedAddress(std::string_view line, uint8_t type, uint64_t lineNumber);
    // Decodes a data record's checked hex text into its place.
    bool Place(uint64_t recordAddress, const char* text, std::size_t count, uint64_t lineNumber);

    const uint64_t limit_;  // the largest image
    std::string unplaced_;
    std::vector<std::string>& warnings_;
    ImageBytes image_;
    uint64_t upper_ = 0;
    uint64_t total_ = 0;
    uint64_t reach_ = 0;  // one past the highest offset any data record covered
    uint64_t base_ = 0;
    bool baseFixed_ = false;
    bool extendedSeen_ = false;
    bool pendingSet_ = false;
    uint64_t pending_ = 0;
    std::size_t recordWarnings_ = 0;
};

void HexImage::Skip(uint64_t lineNumber, const std::string& why) {
    if (recordWarnings_++ < kMaxRecordWarnings) Warn("line " + std::to_string(lineNumber) + ": " + why + "; skipped");
}

LineResult HexImage::Line(std::string_view line, uint64_t lineNumber) {
    if (line.empty() || line[0] != ':') return LineResult::NotARecord;
    if (line.back() == '\r') line.remove_suffix(1);
    uint8_t head[4];
    if (line.size() < 9) {
        Skip(lineNumber, "record shorter than its header");
        return LineResult::Continue;
    }
    if (!CheckedDecodeHex(line.data() + 1, 4, head)) {
        Skip(lineNumber, "non-hex character in the record header");
        return LineResult::Continue;
    }
    const uint8_t type = head[3];
    switch (type) {
        case 0x00:
            DataRecord(line, head[0], static_cast<uint64_t>(head[1]) << 8 | head[2], lineNumber);
            return unplaced_.empty() ? LineResult::Continue : LineResult::Unplaceable;
        case 0x01:
            return LineResult::End;
        case 0x02:
        case 0x04:
            ExtendedAddress(line, type, lineNumber);
            return LineResult::Continue;
        default:
            if (type > 0x05) Skip(lineNumber, "unknown record type " + Hex(type, 2));
            return LineResult::Continue;
    }
}

void HexImage::DataRecord(std::string_view line, std::size_t count, uint64_t address, uint64_t lineNumber) {
    if (line.size() < 9 + 2 * count) {
        Skip(lineNumber, "data record shorter than its byte count " + std::to_string(count));
        return;
    }
    // Checked before any byte is placed: a skipped record changes nothing.
    if (!AllHex(line.data() + 9, count)) {
        Skip(lineNumber, "non-hex character in the data");
        return;
    }
    Place(address, line.data() + 9, count, lineNumber);
}

void HexImage::ExtendedAddress(std::string_view line, uint8_t type, uint64_t lineNumber) {
    uint8_t value[2];
    if (line.size() < 13) {
        Skip(lineNumber, "extended address record without its two data bytes");
        return;
    }
    if (!CheckedDecodeHex(line.data() + 9, 2, value)) {
        Skip(lineNumber, "non-hex character in the extended address");
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
    const auto where = [&] { return "line " + std::to_string(lineNumber) + ": data at " + Hex(address, 8); };
    if (address < base_) {
        unplaced_ = where() + " lies below the image start " + Hex(base_, 8);
        return false;
    }
    const uint64_t offset = address - base_;
    if (offset + count > limit_) {
        unplaced_ = where() + " lies beyond the largest image of " + std::to_string(limit_ >> 20) + " MiB from " +
                    Hex(base_, 8);
        return false;
    }
    total_ += count;
    reach_ = std::max(reach_, offset + count);
    if (count == 0) return true;
    const auto start = static_cast<std::size_t>(offset);
    DecodeHex(text, count, image_.Span(start, start + count));
    return true;
}

void HexImage::SummariseSkips() {
    if (recordWarnings_ > kMaxRecordWarnings)
        Warn(std::to_string(recordWarnings_ - kMaxRecordWarnings) + " more records skipped");
}

const ImageBytes& HexImage::Finish() {
    SummariseSkips();
    // Overlapping records make the sum of the byte counts the longer one,
    // but never past the largest image a file may make.
    image_.Resize(static_cast<std::size_t>(std::min(std::max(reach_, total_), limit_)));
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
std::string EmptyImageReason(LineResult result, uint64_t lineNumber) {
    if (result == LineResult::NotARecord)
        return "line " + std::to_string(lineNumber) +
               " does not start with ':' and comes before any end-of-file record; the image is empty";
    return "no end-of-file record; the image is empty";
}

}  // namespace

ConversionReport HexToBin(const std::filesystem::path& source, const std::filesystem::path& destination,
                          uint64_t maxImageBytes, const ConversionProgress& progress) {
    ConversionReport report;
    auto fail = [&report](std::string error) {
        report.ok = false;
        report.error = std::move(error);
        return report;
    };

    ReplacingFile output(destination, Durability::Flushed);  // the source stays: it can be converted again
    if (!output.Open()) return fail(output.error());

    std::error_code sizeError;
    const uint64_t sourceSize = std::filesystem::file_size(source, sizeError);
    std::ifstream in(source, std::ios::binary);
    if (sizeError || !in) {
        output.CommitEmpty();
        return fail("cannot open " + source.string() + (sizeError ? ": " + sizeError.message() : ""));
    }
    const auto cannotRead = [&] {
        output.CommitEmpty();
        return fail("cannot read " + source.string());
    };

    // Contiguous data takes two characters per byte: the likely image size.
    HexImage image(maxImageBytes, sourceSize / 2, report.warnings);
    // A small file is read in one piece; a large one in chunks.
    LineReader lines(in, static_cast<std::size_t>(std::clamp<uint64_t>(sourceSize + 1, 4096, kChunkSize)));
    if (progress) lines.progress = [&progress, sourceSize](uint64_t read) { progress(read, sourceSize); };
    const LineResult result = DecodeLines(lines, image);
    if (lines.failed()) return cannotRead();
    if (result == LineResult::Unplaceable) {
        output.CommitEmpty();
        return fail(source.string() + ": " + image.unplaced());
    }

    if (result != LineResult::End) {
        image.SummariseSkips();
        image.Warn(EmptyImageReason(result, lines.lineNumber()));
        if (!output.Commit()) return fail(output.error());
        return report;
    }

    // Records after the end-of-file record are ignored; say so when there are any.
    const bool trailing = !lines.RestIsBlank();
    if (lines.failed()) return cannotRead();
    if (trailing)
        image.Warn("line " + std::to_string(lines.lineNumber()) +
                   " holds the end-of-file record; everything after it is ignored");

    const ImageBytes& bytes = image.Finish();
    report.imageAddress = image.base();
    if (!output.Write(bytes.data(), bytes.size()) || !output.Commit()) return fail(output.error());
    return report;
}

}  // namespace tq
