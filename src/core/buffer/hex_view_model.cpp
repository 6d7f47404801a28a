#include "core/buffer/hex_view_model.h"

#include <algorithm>
#include <cstdio>

#include "core/base/number_text.h"

namespace tq {

namespace {

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) text += '\n';
        text += lines[i];
    }
    return text;
}

}  // namespace

std::string HexPage::AddressText() const { return JoinLines(addressLines); }
std::string HexPage::HexText() const { return JoinLines(hexLines); }

char AsciiCell(uint8_t byte) { return byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.'; }

HexPage BuildHexPage(const Ram_File_Info_Struct& record, uint32_t ramStartAddr, uint32_t rows) {
    static const char kDigits[] = "0123456789ABCDEF";
    HexPage page;
    page.viewTop = record.ViewTop;
    // Bytes shown end at DataLen, and never run past the storage.
    const uint64_t end = std::min<uint64_t>(record.DataLen, record.Data.size());
    uint64_t offset = record.ViewTop;
    do {
        const std::string address = HexText(static_cast<uint32_t>(offset + ramStartAddr), 6) + " ";
        std::string hex, ascii;
        for (uint32_t i = 0; i < kHexRowBytes && offset + i < end; ++i) {
            const uint8_t byte = record.Data[offset + i];
            hex += kDigits[byte >> 4];
            hex += kDigits[byte & 0x0F];
            hex += ' ';
            ascii += AsciiCell(byte);
        }
        offset += ascii.size();
        page.shownBytes += static_cast<uint32_t>(ascii.size());
        page.addressLines.push_back(address);
        page.hexLines.push_back(std::move(hex));
        page.asciiLines.push_back(std::move(ascii));
    } while (page.hexLines.size() < std::max(rows, 1u) && offset < end);
    return page;
}

HexPage BuildHexPage(const BufferContext& buffer) {
    return BuildHexPage(buffer.RamFile, buffer.Geometry.startAddress, buffer.HexView.rows);
}

void RedrawHexView(BufferContext& buffer) {
    buffer.RamFile.ViewTop &= ~(kHexRowBytes - 1);
    buffer.Views.hexView->Redraw();
}

uint32_t ScrollViewTop(uint32_t dataLen, uint32_t position, uint32_t rows) {
    const uint64_t pageBytes = uint64_t{kHexRowBytes} * std::max(rows, 1u);
    const uint64_t rowsEnd = (uint64_t{dataLen} + kHexRowBytes - 1) & ~uint64_t{kHexRowBytes - 1};
    if (dataLen < pageBytes) return position & ~(kHexRowBytes - 1);
    return static_cast<uint32_t>(std::min<uint64_t>(rowsEnd - pageBytes, position)) & ~(kHexRowBytes - 1);
}

void ScrollHexView(BufferContext& buffer, uint32_t position) {
    buffer.RamFile.ViewTop = ScrollViewTop(buffer.RamFile.DataLen, position, buffer.HexView.rows);
    RedrawHexView(buffer);
}

}  // namespace tq
