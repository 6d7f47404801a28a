// The hex view's caret and scrolling beyond the scroll bar: clicks and typed
// digits through the hex column's rules (hex_cursor.h), caret keys, the
// wheel, and a page that grows with the window. The caret is a buffer offset
// and the view follows it. A front-end maps its mouse points and keys onto
// these and paints BuildHexPage with CaretSelection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/buffer/buffer_context.h"
#include "core/buffer/hex_cursor.h"
#include "core/buffer/hex_view_model.h"

namespace tq {

enum class HexMove { Left, Right, Up, Down, PageUp, PageDown, RowStart, RowEnd, First, Last };

// The largest ViewTop the scroll bar reaches (its maximum, in bytes).
uint32_t LastScrollTop(uint32_t dataLen, uint32_t rows, uint32_t rowBytes = kHexRowBytes);

// The hex column's selection for the caret when `page` shows it; else none.
HexSelection CaretSelection(const BufferContext& buffer, const HexPage& page);

// The view has room for `rows` rows now (at least one).
void SetHexPageRows(BufferContext& buffer, uint32_t rows);
// The view has room for `rows` rows of `rowBytes` bytes now; the caret's
// byte stays in view. Addresses, caret keys, clicks and scrolling follow.
void SetHexPageShape(BufferContext& buffer, uint32_t rows, uint32_t rowBytes);

// A click at `position` of the page's hex text selects the digit there or
// the next one. With `extend` (Shift held) the bytes from where the caret
// was to the clicked one become the selection.
void ClickHexText(BufferContext& buffer, size_t position, bool extend = false);

// A key typed with the caret on a digit: the nibble changes as ApplyHexKey
// says, and the caret moves on, past the page's end into the next row.
// False when the key was not taken (no caret, not a digit, buffer locked).
bool TypeHexKey(BufferContext& buffer, char key);

// Caret keys: nibble left and right, row up and down, a page, the row's
// first and last byte, the buffer's first and last byte. With `extend`
// (Shift held) the selection runs from where it began to the caret's byte;
// without, a move drops the selection.
void MoveHexCaret(BufferContext& buffer, HexMove move, bool extend = false);

// Every byte below DataLen selected.
void SelectWholeBuffer(BufferContext& buffer);

// The wheel: the view moves by `rows` rows (negative: up); the caret stays.
void ScrollHexRows(BufferContext& buffer, int rows);

// The caret on the high digit of `offset`, and the view showing it.
void PlaceHexCaret(BufferContext& buffer, uint32_t offset);

}  // namespace tq
