// One page of the hex view as text: what the address, hex and ASCII columns
// show for the current ViewTop. A widget paints these lines and nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/buffer/buffer_context.h"

namespace tq {

struct HexPage {
    uint32_t viewTop = 0;
    uint32_t shownBytes = 0;
    uint32_t rowBytes = kHexRowBytes;
    std::vector<std::string> addressLines;  // "001000 ": at least six digits and a space
    std::vector<std::string> hexLines;      // "FF FF ... FF ": three characters per byte
    std::vector<std::string> asciiLines;    // one character per byte
    // The shown bytes that differ from the last file opened, read or saved,
    // as runs counted from viewTop, in order.
    std::vector<ByteRange> changed;

    // The column texts, lines joined by "\n" (one character per line break).
    std::string AddressText() const;
    std::string HexText() const;
};

// The character the ASCII column shows for a byte: itself when printable, ".".
char AsciiCell(uint8_t byte);

// The page from record.ViewTop (which the caller keeps a multiple of
// `rowBytes`): rows of up to `rowBytes` bytes while bytes below DataLen
// remain, at most `rows` rows (24 of 16 at the window's first size), and
// always at least one row (only its address when no byte is left). Costs the
// same for any buffer size.
HexPage BuildHexPage(const Ram_File_Info_Struct& record, uint32_t ramStartAddr, uint32_t rows = kHexPageRows,
                     uint32_t rowBytes = kHexRowBytes);
// The page the view shows: its rows and row width, the chip's start address
// and the bytes edited since the last file.
HexPage BuildHexPage(const BufferContext& buffer);

// Rounds ViewTop down to a row's start and asks the view to repaint.
void RedrawHexView(BufferContext& buffer);

// The first offset shown for a scroll bar position: the smaller of the last
// page's top and the position, rounded down to a row. The last page ends with
// the row that holds the last byte, so a DataLen that is not a multiple of
// the row width still shows its last bytes. Below one page the position
// itself counts.
uint32_t ScrollViewTop(uint32_t dataLen, uint32_t position, uint32_t rows = kHexPageRows,
                       uint32_t rowBytes = kHexRowBytes);

// The bytes per row for a view that has room for `characters` character
// cells beside its address column (each byte takes four: "XX " and its
// ASCII cell): the most in steps of kHexRowStep, never fewer than one step
// nor more than kHexMaxRowBytes.
uint32_t RowBytesForWidth(uint32_t characters);

// The scroll bar moved: show the page it points at (with the view's rows).
void ScrollHexView(BufferContext& buffer, uint32_t position);

}  // namespace tq
