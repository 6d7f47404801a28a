#include "core/buffer/image_export.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/base/atomic_write.h"

namespace tq {
namespace {

constexpr std::size_t kRecordBytes = 16;
constexpr std::size_t kFlushAt = std::size_t{1} << 20;

void PutByte(std::string& text, uint8_t byte) {
    static const char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
}

// Collects the records and hands them to the file a megabyte at a time.
class RecordWriter {
public:
    explicit RecordWriter(ReplacingFile& file) : file_(file) { text_.reserve(kFlushAt + 256); }
    std::string& text() { return text_; }
    bool LineDone() {
        text_ += "\r\n";
        return text_.size() < kFlushAt || Flush();
    }
    bool Flush() {
        const bool ok = file_.Write(text_.data(), text_.size());
        text_.clear();
        return ok;
    }

private:
    ReplacingFile& file_;
    std::string text_;
};

// ":" count, address, type, data, checksum (two's complement of the sum).
bool HexRecord(RecordWriter& out, uint8_t type, uint16_t address, const uint8_t* data, std::size_t count) {
    std::string& text = out.text();
    const uint8_t head[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
                             static_cast<uint8_t>(address), type};
    uint8_t sum = 0;
    text += ':';
    for (uint8_t byte : head) PutByte(text, byte), sum = static_cast<uint8_t>(sum + byte);
    for (std::size_t i = 0; i < count; ++i) PutByte(text, data[i]), sum = static_cast<uint8_t>(sum + data[i]);
    PutByte(text, static_cast<uint8_t>(-sum));
    return out.LineDone();
}

bool WriteIntelHex(RecordWriter& out, const uint8_t* data, std::size_t length, uint64_t address) {
    uint64_t upper = ~uint64_t{0};
    for (std::size_t at = 0; at < length;) {
        const uint64_t where = address + at;
        if (where >> 16 != upper) {
            upper = where >> 16;
            const uint8_t value[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            if (!HexRecord(out, 0x04, 0, value, 2)) return false;
        }
        // A record never crosses a 64 KiB boundary.
        const std::size_t count = static_cast<std::size_t>(
            std::min<uint64_t>({kRecordBytes, length - at, 0x10000 - (where & 0xFFFF)}));
        if (!HexRecord(out, 0x00, static_cast<uint16_t>(where), data + at, count)) return false;
        at += count;
    }
    return HexRecord(out, 0x01, 0, nullptr, 0);
}

// "S" type, count, address, data, checksum (ones' complement of the sum).
bool SrecRecord(RecordWriter& out, int type, int addressBytes, uint64_t address, const uint8_t* data,
                std::size_t count) {
    std::string& text = out.text();
    text += 'S';
    text += static_cast<char>('0' + type);
    const uint8_t length = static_cast<uint8_t>(addressBytes + count + 1);
    uint8_t sum = length;
    PutByte(text, length);
    for (int i = addressBytes - 1; i >= 0; --i) {
        const auto byte = static_cast<uint8_t>(address >> (8 * i));
        PutByte(text, byte);
        sum = static_cast<uint8_t>(sum + byte);
    }
    for (std::size_t i = 0; i < count; ++i) PutByte(text, data[i]), sum = static_cast<uint8_t>(sum + data[i]);
    PutByte(text, static_cast<uint8_t>(~sum));
    return out.LineDone();
}

bool WriteSrec(RecordWriter& out, int addressBytes, const uint8_t* data, std::size_t length, uint64_t address) {
    const int dataType = addressBytes - 1;  // S1, S2, S3
    if (!SrecRecord(out, 0, 2, 0, nullptr, 0)) return false;
    for (std::size_t at = 0; at < length; at += kRecordBytes)
        if (!SrecRecord(out, dataType, addressBytes, address + at, data + at, std::min(kRecordBytes, length - at)))
            return false;
    return SrecRecord(out, 10 - dataType, addressBytes, address, nullptr, 0);  // S9, S8, S7
}

// Address bytes of the S-record type a format writes; 0 when the image does not fit.
int SrecAddressBytes(ImageFormat format, uint64_t lastAddress) {
    const int needed = lastAddress <= 0xFFFF ? 2 : lastAddress <= 0xFFFFFF ? 3 : 4;
    const int chosen = format == ImageFormat::S19 ? 2 : format == ImageFormat::S28 ? 3 : format == ImageFormat::S37 ? 4
                                                                                                                 : needed;
    return chosen >= needed ? chosen : 0;
}

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

ImageFormat ImageFormatOf(const std::string& extension) {
    if (extension == "hex") return ImageFormat::IntelHex;
    if (extension == "srec") return ImageFormat::Srec;
    if (extension == "s19") return ImageFormat::S19;
    if (extension == "s28") return ImageFormat::S28;
    if (extension == "s37") return ImageFormat::S37;
    return ImageFormat::Binary;
}

bool IsSrecFormat(ImageFormat format) {
    return format == ImageFormat::Srec || format == ImageFormat::S19 || format == ImageFormat::S28 ||
           format == ImageFormat::S37;
}

bool WriteImageFile(const std::filesystem::path& path, ImageFormat format, const uint8_t* data, std::size_t length,
                    uint64_t address, std::string& error) {
    const uint64_t last = address + (length == 0 ? 0 : length - 1);
    int addressBytes = 0;
    if (format != ImageFormat::Binary) {
        addressBytes = format == ImageFormat::IntelHex ? (last <= 0xFFFFFFFF ? 4 : 0) : SrecAddressBytes(format, last);
        if (addressBytes == 0) {
            error = path.string() + ": the addresses " + Hex(address) + " to " + Hex(last) +
                    " do not fit this file type's records";
            return false;
        }
    }
    ReplacingFile file(path);
    bool written = file.Open();
    if (written && format == ImageFormat::Binary) {
        written = length == 0 || file.Write(data, length);
    } else if (written) {
        RecordWriter out(file);
        written = (format == ImageFormat::IntelHex ? WriteIntelHex(out, data, length, address)
                                                   : WriteSrec(out, addressBytes, data, length, address)) &&
                  out.Flush();
    }
    if (written && file.Commit()) return true;
    error = file.error();
    return false;
}

}  // namespace tq
