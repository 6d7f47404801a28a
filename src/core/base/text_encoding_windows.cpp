// GBK through the Windows code pages: 54936 (GB18030, so that the 4-byte
// forms read and write as on Linux), or 936 where a system lacks it (Wine);
// there the 4-byte forms of U+10000 and above, which GB18030 maps by
// arithmetic alone, are converted here, and other characters outside GBK
// become '?'.
#include <windows.h>

#include <cstdint>

#include "core/base/text_encoding.h"

namespace tq {

namespace {

UINT DiskCodePage() {
    static const UINT page = IsValidCodePage(54936) ? 54936 : 936;
    return page;
}

// Whole input or nothing: false when any byte is invalid in `page`.
bool ToWide(UINT page, std::string_view bytes, std::wstring& wide) {
    wide.clear();
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (count <= 0) return false;
    wide.resize(static_cast<size_t>(count));
    return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), count) == count;
}

void AppendNarrow(UINT page, const std::wstring& wide, std::string& out) {
    if (wide.empty()) return;
    const int size = static_cast<int>(wide.size());
    const int count = WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(count));
    WideCharToMultiByte(page, 0, wide.data(), size, out.data() + at, count, nullptr, nullptr);
}

// The length of the valid UTF-8 sequence at text[pos], 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceLength(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    return length;
}

// GB18030's four bytes for a code point from U+10000: 0x90308130 onwards,
// counted in the bases 10, 126, 10.
std::string SupplementaryToGb18030(uint32_t codePoint) {
    uint32_t linear = codePoint - 0x10000;
    char bytes[4];
    bytes[3] = static_cast<char>(0x30 + linear % 10);
    linear /= 10;
    bytes[2] = static_cast<char>(0x81 + linear % 126);
    linear /= 126;
    bytes[1] = static_cast<char>(0x30 + linear % 10);
    bytes[0] = static_cast<char>(0x90 + linear / 10);
    return std::string(bytes, 4);
}

// The code point of such four bytes; 0 when they are not one.
uint32_t Gb18030ToSupplementary(std::string_view bytes) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() != 4 || byte(0) < 0x90 || byte(0) > 0xE3 || byte(1) < 0x30 || byte(1) > 0x39 ||
        byte(2) < 0x81 || byte(2) > 0xFE || byte(3) < 0x30 || byte(3) > 0x39)
        return 0;
    const uint32_t linear = (((byte(0) - 0x90u) * 10 + (byte(1) - 0x30u)) * 126 + (byte(2) - 0x81u)) * 10 + (byte(3) - 0x30u);
    return linear <= 0xFFFFF ? 0x10000 + linear : 0;
}

std::string CodePointToUtf8(uint32_t codePoint) {
    return {static_cast<char>(0xF0 | (codePoint >> 18)), static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)),
            static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)), static_cast<char>(0x80 | (codePoint & 0x3F))};
}

uint32_t Utf8FourByteCodePoint(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(text[pos + i])); };
    return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    std::string out;
    std::wstring wide;
    if (ToWide(DiskCodePage(), gbk, wide)) {
        AppendNarrow(CP_UTF8, wide, out);
        return out;
    }
    // Some byte is invalid: one character at a time, as iconv does.
    size_t pos = 0;
    while (pos < gbk.size()) {
        const unsigned char lead = static_cast<unsigned char>(gbk[pos]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++pos;
            continue;
        }
        size_t length = 2;
        if (pos + 1 < gbk.size() && gbk[pos + 1] >= '0' && gbk[pos + 1] <= '9') length = 4;
        if (lead != 0x80 && lead != 0xFF && pos + length > gbk.size()) break;  // cut off at the end
        if (lead != 0x80 && lead != 0xFF && ToWide(DiskCodePage(), gbk.substr(pos, length), wide)) {
            AppendNarrow(CP_UTF8, wide, out);
            pos += length;
        } else if (const uint32_t codePoint = length == 4 ? Gb18030ToSupplementary(gbk.substr(pos, 4)) : 0) {
            out += CodePointToUtf8(codePoint);
            pos += 4;
        } else {
            out += "\xEF\xBF\xBD";
            ++pos;
        }
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    std::wstring wide;
    size_t runStart = 0, pos = 0;
    const auto flush = [&](size_t end) {
        if (end > runStart && ToWide(CP_UTF8, utf8.substr(runStart, end - runStart), wide))
            AppendNarrow(DiskCodePage(), wide, out);
    };
    while (pos < utf8.size()) {
        const size_t length = Utf8SequenceLength(utf8, pos);
        if (length == 4 && DiskCodePage() != 54936) {
            flush(pos);
            out += SupplementaryToGb18030(Utf8FourByteCodePoint(utf8, pos));
            runStart = pos += 4;
            continue;
        }
        if (length > 0) {
            pos += length;
            continue;
        }
        flush(pos);
        out += '?';
        runStart = ++pos;
    }
    flush(pos);
    return out;
}

}  // namespace tq
