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
    std::vector<std::string> addressLines;  // "001000 ": at least six digits and a space
    std::vector<std::string> hexLines;      // "FF FF ... FF ": three characters per byte
    std::vector<std::string> asciiLines;    // one character per byte

    // The column texts, lines joined by "\n" (one character per line break).
    std::string AddressText() const;
    std::string HexText() const;
};

// The character the ASCII column shows for a byte: itself when printable, ".".
char AsciiCell(uint8_t byte);

// The page from record.ViewTop (which the caller keeps a multiple of 16):
// rows of up to 16 bytes while bytes below DataLen remain, at most `rows`
// rows (24 at the window's first size), and always at least one row (only
// its address when no byte is left). Costs the same for any buffer size.
HexPage BuildHexPage(const Ram_File_Info_Struct& record, uint32_t ramStartAddr, uint32_t rows = kHexPageRows);
// The page the view shows: its rows and the chip's start address.
HexPage BuildHexPage(const BufferContext& buffer);

// Rounds ViewTop down to a multiple of 16 and asks the view to repaint.
void RedrawHexView(BufferContext& buffer);

// The first offset shown for a scroll bar position: the smaller of the last
// page's top and the position, rounded down to 16. The last page ends with
// the row that holds the last byte, so a DataLen that is not a multiple of
// 16 still shows its last bytes. Below one page the position itself counts.
uint32_t ScrollViewTop(uint32_t dataLen, uint32_t position, uint32_t rows = kHexPageRows);

// The scroll bar moved: show the page it points at (with the view's rows).
void ScrollHexView(BufferContext& buffer, uint32_t position);

}  // namespace tq
