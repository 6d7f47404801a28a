// Where a position in the hex column's text falls, and the two editing rules
// of the hex view: selecting a digit by click and typing a nibble over it.
// Positions count one character per line break: a row of n bytes is 3n
// characters ("XX " n times) plus its break, so with 16 bytes per row, row r
// starts at position r * 49.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/buffer/buffer_context.h"

namespace tq {

inline constexpr size_t kHexRowChars = 48;
inline constexpr size_t kHexLineStride = kHexRowChars + 1;
inline constexpr size_t HexLineStride(uint32_t rowBytes) { return size_t{rowBytes} * 3 + 1; }

enum class Nibble : uint8_t { High = 0, Low = 1, Space = 2 };

// A byte of the page (counted from ViewTop) and the character of its cell.
struct HexCursor {
    uint32_t byteInView = 0;
    Nibble nibble = Nibble::High;
    bool operator==(const HexCursor&) const = default;
};

HexCursor CursorAt(size_t position, uint32_t rowBytes = kHexRowBytes);
size_t TextPosition(HexCursor cursor, uint32_t rowBytes = kHexRowBytes);

// A selection in the hex column's text; length 0 is a bare caret.
struct HexSelection {
    size_t start = 0;
    size_t length = 0;
    bool operator==(const HexSelection&) const = default;
};

// The first hex digit at or after `from`, selected one character long; a bare
// caret at the end of the text when no digit follows (the view does not scroll).
HexSelection NextDigitFrom(const std::string& hexText, size_t from);

// A click put the caret at `caret`: the digit under it or the next one.
HexSelection SelectHexDigitAt(const std::string& hexText, size_t caret);

struct HexKeyResult {
    bool handled = false;     // false: the key goes to the control (caret movement)
    HexSelection selection;   // the selection after the key
    bool byteChanged = false;
    uint32_t offset = 0;      // buffer offset of the changed byte
};

// A key pressed in the hex view (rows as wide as buffer.HexView says). With a digit selected, "0".."9" and "A".."F"
// replace that nibble in the buffer and in `hexText`, move the selection to
// the next digit and show the checksum of the storage. A selection that does
// not start on a digit of a shown byte changes nothing but still advances.
HexKeyResult ApplyHexKey(BufferContext& buffer, std::string& hexText, HexSelection selection, char key);

}  // namespace tq
