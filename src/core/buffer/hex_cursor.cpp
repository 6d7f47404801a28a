#include "core/buffer/hex_cursor.h"

#include <algorithm>
#include <cctype>

#include "core/base/number_text.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/hex_view_model.h"

namespace tq {

namespace {

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

HexCursor CursorAt(size_t position, uint32_t rowBytes) {
    const size_t stride = HexLineStride(rowBytes);
    const size_t row = position / stride;
    const size_t column = position % stride;
    return HexCursor{static_cast<uint32_t>(row * rowBytes + column / 3), static_cast<Nibble>(column % 3)};
}

size_t TextPosition(HexCursor cursor, uint32_t rowBytes) {
    return cursor.byteInView / rowBytes * HexLineStride(rowBytes) + cursor.byteInView % rowBytes * 3 +
           static_cast<size_t>(cursor.nibble);
}

HexSelection NextDigitFrom(const std::string& hexText, size_t from) {
    for (size_t p = from; p < hexText.size(); ++p)
        if (IsHexDigit(hexText[p])) return HexSelection{p, 1};
    return HexSelection{hexText.size(), 0};
}

HexSelection SelectHexDigitAt(const std::string& hexText, size_t caret) { return NextDigitFrom(hexText, caret); }

HexKeyResult ApplyHexKey(BufferContext& buffer, std::string& hexText, HexSelection selection, char key) {
    HexKeyResult result;
    result.selection = selection;
    const bool digitKey = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') || (key >= 'a' && key <= 'f');
    if (selection.length == 0 || !digitKey || buffer.Locked()) return result;
    result.handled = true;

    Ram_File_Info_Struct& ram = buffer.RamFile;
    const size_t position = selection.start;
    const HexCursor cursor = CursorAt(position, buffer.HexView.rowBytes);
    const uint64_t offset = uint64_t{ram.ViewTop} + cursor.byteInView;
    // Only a digit of a byte the page shows is edited; anything else (a
    // separating space, a line break, a stale position) changes nothing.
    const bool onShownDigit = cursor.nibble != Nibble::Space && position < hexText.size() &&
                              IsHexDigit(hexText[position]) &&
                              offset < std::min<uint64_t>(ram.DataLen, ram.Data.size());
    if (onShownDigit) {
        const int value = HexDigitValue(key);
        uint8_t& byte = ram.Data[offset];
        const uint8_t before = byte;
        byte = cursor.nibble == Nibble::High ? static_cast<uint8_t>((byte & 0x0F) + value * 16)
                                             : static_cast<uint8_t>((byte & 0xF0) + value);
        RecordByteEdit(buffer, static_cast<uint32_t>(offset), before, byte, cursor.nibble == Nibble::Low);
        AdjustStorageSum(buffer, static_cast<uint32_t>(offset), before, byte);
        hexText[position] = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
        result.byteChanged = true;
        result.offset = static_cast<uint32_t>(offset);
    }
    result.selection = NextDigitFrom(hexText, position + 1);
    ShowStorageCheckSum(buffer);
    return result;
}

}  // namespace tq
