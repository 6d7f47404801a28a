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

HexPage BuildHexPage(const Ram_File_Info_Struct& record, uint32_t ramStartAddr, uint32_t rows, uint32_t rowBytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    rowBytes = std::max(rowBytes, 1u);
    HexPage page;
    page.viewTop = record.ViewTop;
    page.rowBytes = rowBytes;
    // Bytes shown end at DataLen, and never run past the storage.
    const uint64_t end = std::min<uint64_t>(record.DataLen, record.Data.size());
    uint64_t offset = record.ViewTop;
    do {
        const std::string address = HexText(static_cast<uint32_t>(offset + ramStartAddr), 6) + " ";
        std::string hex, ascii;
        for (uint32_t i = 0; i < rowBytes && offset + i < end; ++i) {
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
    const HexViewState& view = buffer.HexView;
    HexPage page = BuildHexPage(buffer.RamFile, buffer.Geometry.startAddress, view.rows, view.rowBytes);
    for (ByteRange run : buffer.History.ChangedSinceClean(page.viewTop, uint64_t{page.viewTop} + page.shownBytes))
        page.changed.push_back({run.offset - page.viewTop, run.count});
    return page;
}

void RedrawHexView(BufferContext& buffer) {
    buffer.RamFile.ViewTop = RowStart(buffer.RamFile.ViewTop, buffer.HexView.rowBytes);
    buffer.Views.hexView->Redraw();
}

uint32_t ScrollViewTop(uint32_t dataLen, uint32_t position, uint32_t rows, uint32_t rowBytes) {
    rowBytes = std::max(rowBytes, 1u);
    const uint64_t pageBytes = uint64_t{rowBytes} * std::max(rows, 1u);
    const uint64_t rowsEnd = (uint64_t{dataLen} + rowBytes - 1) / rowBytes * rowBytes;
    if (dataLen < pageBytes) return RowStart(position, rowBytes);
    return RowStart(static_cast<uint32_t>(std::min<uint64_t>(rowsEnd - pageBytes, position)), rowBytes);
}

uint32_t RowBytesForWidth(uint32_t characters) {
    const uint32_t steps = characters / (4 * kHexRowStep);
    return std::clamp(steps, 1u, kHexMaxRowBytes / kHexRowStep) * kHexRowStep;
}

void ScrollHexView(BufferContext& buffer, uint32_t position) {
    const HexViewState& view = buffer.HexView;
    buffer.RamFile.ViewTop = ScrollViewTop(buffer.RamFile.DataLen, position, view.rows, view.rowBytes);
    RedrawHexView(buffer);
}

}  // namespace tq
