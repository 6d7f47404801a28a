#include "core/buffer/hex_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
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
// - A data record starting below the image start is skipped and reported:
//   nothing is ever written before offset 0.
// - Data beyond the written length (the sum of the byte counts, which can
//   never exceed half the source size) cannot be part of the output; such
//   bytes are not kept, and one warning names how far the data reached.
// - The first end-of-file record ends the conversion. Anything after it is
//   ignored; when that is more than blank space, a warning says so.
// - Bytes of the written length that no record covers are 0xFF, the state of
//   erased flash.
// - Record types other than 00, 01, 02 and 04 are ignored; types above 05,
//   which the format does not define, are reported.

namespace tq {
namespace {

constexpr std::size_t kChunkSize = std::size_t{4} << 20;
constexpr std::size_t kMaxRecordWarnings = 20;
constexpr uint8_t kUncovered = 0xFF;

constexpr std::array<int8_t, 256> MakeHexTable() {
    std::array<int8_t, 256> table{};
    for (auto& v : table) v = -1;
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<int8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<int8_t>(c - 'a' + 10);
    return table;
}
constexpr std::array<int8_t, 256> kHex = MakeHexTable();

// Decodes count bytes from 2 * count hex characters; false on a non-hex one.
bool DecodeHex(const char* text, std::size_t count, uint8_t* out) {
    for (std::size_t i = 0; i < count; ++i) {
        const int high = kHex[static_cast<uint8_t>(text[2 * i])];
        const int low = kHex[static_cast<uint8_t>(text[2 * i + 1])];
        if ((high | low) < 0) return false;
        out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

std::string Hex(uint64_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return text;
}

enum class LineResult { Continue, NotARecord, End };

class HexImage {
public:
    HexImage(uint64_t limit, std::vector<std::string>& warnings) : limit_(limit), warnings_(warnings) {}

    LineResult Line(const char* text, std::size_t length, uint64_t lineNumber);
    // Adds the summary of skipped records beyond the ones reported singly.
    void SummariseSkips();
    // The image as written: total bytes.
    const std::vector<uint8_t>& Finish();

    void Warn(const std::string& text) { warnings_.push_back(text); }

private:
    void Skip(uint64_t lineNumber, const std::string& why);
    void Place(uint64_t recordAddress, const uint8_t* bytes, std::size_t count, uint64_t lineNumber);

    const uint64_t limit_;  // no byte at or beyond this offset can be within the written length
    std::vector<std::string>& warnings_;
    std::vector<uint8_t> image_;
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

LineResult HexImage::Line(const char* text, std::size_t length, uint64_t lineNumber) {
    if (length == 0 || text[0] != ':') return LineResult::NotARecord;
    if (text[length - 1] == '\r') --length;
    uint8_t head[4];
    if (length < 9) {
        Skip(lineNumber, "record shorter than its header");
        return LineResult::Continue;
    }
    if (!DecodeHex(text + 1, 4, head)) {
        Skip(lineNumber, "non-hex character in the record header");
        return LineResult::Continue;
    }
    const std::size_t count = head[0];
    const uint64_t address = static_cast<uint64_t>(head[1]) << 8 | head[2];
    const uint8_t type = head[3];
    switch (type) {
        case 0x00: {
            uint8_t data[255];
            if (length < 9 + 2 * count) {
                Skip(lineNumber, "data record shorter than its byte count " + std::to_string(count));
                return LineResult::Continue;
            }
            if (!DecodeHex(text + 9, count, data)) {
                Skip(lineNumber, "non-hex character in the data");
                return LineResult::Continue;
            }
            Place(address, data, count, lineNumber);
            return LineResult::Continue;
        }
        case 0x01:
            return LineResult::End;
        case 0x02:
        case 0x04: {
            uint8_t value[2];
            if (length < 13) {
                Skip(lineNumber, "extended address record without its two data bytes");
                return LineResult::Continue;
            }
            if (!DecodeHex(text + 9, 2, value)) {
                Skip(lineNumber, "non-hex character in the extended address");
                return LineResult::Continue;
            }
            const uint64_t number = static_cast<uint64_t>(value[0]) << 8 | value[1];
            const uint64_t upper = type == 0x04 ? number << 16 : number << 4;
            // Only the first extended record, and only before any data, says
            // where the image starts.
            if (!extendedSeen_ && !baseFixed_) {
                pending_ = upper;
                pendingSet_ = true;
            }
            extendedSeen_ = true;
            upper_ = upper;
            return LineResult::Continue;
        }
        default:
            if (type > 0x05) Skip(lineNumber, "unknown record type " + Hex(type, 2));
            return LineResult::Continue;
    }
}

void HexImage::Place(uint64_t recordAddress, const uint8_t* bytes, std::size_t count, uint64_t lineNumber) {
    if (!baseFixed_) {
        base_ = pendingSet_ ? pending_ + recordAddress : 0;
        baseFixed_ = true;
    }
    const uint64_t address = upper_ + recordAddress;
    if (address < base_) {
        Skip(lineNumber, "data at " + Hex(address, 8) + " lies below the image start " + Hex(base_, 8));
        return;
    }
    const uint64_t offset = address - base_;
    total_ += count;
    reach_ = std::max(reach_, offset + count);
    if (count == 0 || offset >= limit_) return;
    const std::size_t kept = static_cast<std::size_t>(std::min<uint64_t>(count, limit_ - offset));
    const std::size_t end = static_cast<std::size_t>(offset) + kept;
    if (image_.size() < end) image_.resize(end, kUncovered);
    std::memcpy(image_.data() + offset, bytes, kept);
}

void HexImage::SummariseSkips() {
    if (recordWarnings_ > kMaxRecordWarnings)
        Warn(std::to_string(recordWarnings_ - kMaxRecordWarnings) + " more records skipped");
}

const std::vector<uint8_t>& HexImage::Finish() {
    SummariseSkips();
    if (reach_ > total_)
        Warn("data reaches offset " + Hex(reach_ - 1, 8) + " but the image holds only its " + std::to_string(total_) +
             " data bytes; the bytes from offset " + Hex(total_, 8) + " on are not in it");
    image_.resize(static_cast<std::size_t>(total_), kUncovered);
    return image_;
}

bool IsBlank(const char* begin, const char* end) {
    return std::all_of(begin, end, [](char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == 0x1A; });
}

}  // namespace

ConversionReport HexToBin(const std::filesystem::path& source, const std::filesystem::path& destination) {
    ConversionReport report;
    auto fail = [&report](std::string error) {
        report.ok = false;
        report.error = std::move(error);
        return report;
    };

    ReplacingFile output(destination);
    if (!output.Open()) return fail(output.error());

    std::error_code sizeError;
    const uint64_t sourceSize = std::filesystem::file_size(source, sizeError);
    std::ifstream in(source, std::ios::binary);
    if (sizeError || !in) {
        output.CommitEmpty();
        return fail("cannot open " + source.string() + (sizeError ? ": " + sizeError.message() : ""));
    }

    HexImage image(sourceSize / 2, report.warnings);
    // A small file is read in one piece; a large one in chunks.
    std::vector<char> buffer(static_cast<std::size_t>(std::clamp<uint64_t>(sourceSize + 1, 4096, kChunkSize)));
    std::size_t have = 0;      // bytes in buffer
    std::size_t position = 0;  // start of the current line within buffer
    bool atEnd = false;
    bool skippingLongLine = false;  // discarding the rest of an over-long line already handled
    uint64_t lineNumber = 1;
    LineResult result = LineResult::Continue;

    auto readMore = [&]() -> bool {
        in.read(buffer.data() + have, static_cast<std::streamsize>(buffer.size() - have));
        if (in.bad()) return false;
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) atEnd = true;
        have += got;
        return true;
    };

    while (result == LineResult::Continue) {
        const char* start = buffer.data() + position;
        const char* lineFeed = static_cast<const char*>(std::memchr(start, '\n', have - position));
        if (lineFeed) {
            if (!skippingLongLine)
                result = image.Line(start, static_cast<std::size_t>(lineFeed - start), lineNumber);
            skippingLongLine = false;
            position = static_cast<std::size_t>(lineFeed - buffer.data()) + 1;
            if (result == LineResult::Continue) ++lineNumber;
            continue;
        }
        if (atEnd) {
            if (position < have && !skippingLongLine)
                result = image.Line(start, have - position, lineNumber);
            position = have;
            break;
        }
        std::memmove(buffer.data(), start, have - position);
        have -= position;
        position = 0;
        if (have == buffer.size()) {
            // A line longer than the whole buffer: its record is in the part
            // already here, so handle it now and drop the rest of the line.
            if (!skippingLongLine) result = image.Line(buffer.data(), have, lineNumber);
            skippingLongLine = true;
            have = 0;
        }
        if (result == LineResult::Continue && !readMore()) {
            output.CommitEmpty();
            return fail("cannot read " + source.string());
        }
    }

    if (result != LineResult::End) {
        image.SummariseSkips();
        image.Warn(result == LineResult::NotARecord
                       ? "line " + std::to_string(lineNumber) +
                             " does not start with ':' and comes before any end-of-file record; the image is empty"
                       : std::string("no end-of-file record; the image is empty"));
        if (!output.Commit()) return fail(output.error());
        return report;
    }

    // Records after the end-of-file record are ignored; say so when there are any.
    bool trailing = false;
    for (;;) {
        const char* from = buffer.data() + position;
        const char* to = buffer.data() + have;
        if (skippingLongLine) {
            // The rest of the over-long end-of-file line is not "after" it.
            const char* lineFeed = static_cast<const char*>(std::memchr(from, '\n', to - from));
            skippingLongLine = lineFeed == nullptr;
            from = lineFeed ? lineFeed + 1 : to;
        }
        if (!IsBlank(from, to)) {
            trailing = true;
            break;
        }
        if (atEnd) break;
        have = position = 0;
        if (!readMore()) {
            output.CommitEmpty();
            return fail("cannot read " + source.string());
        }
    }
    if (trailing)
        image.Warn("line " + std::to_string(lineNumber) +
                   " holds the end-of-file record; everything after it is ignored");

    const std::vector<uint8_t>& bytes = image.Finish();
    if (!output.Write(bytes.data(), bytes.size()) || !output.Commit()) return fail(output.error());
    return report;
}

}  // namespace tq
