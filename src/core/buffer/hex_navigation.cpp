#include "core/buffer/hex_navigation.h"

#include <algorithm>
#include <string>

namespace tq {
namespace {

uint32_t ShownEnd(const Ram_File_Info_Struct& ram) {
    return static_cast<uint32_t>(std::min<uint64_t>(ram.DataLen, ram.Data.size()));
}

uint64_t PageBytes(const HexViewState& view) { return uint64_t{view.rowBytes} * view.rows; }

// The largest ViewTop keys and resizing move to: a buffer shorter than a
// page stays at the top.
uint32_t LastKeyTop(const BufferContext& buffer) {
    const uint32_t dataLen = buffer.RamFile.DataLen;
    const HexViewState& view = buffer.HexView;
    return dataLen < PageBytes(view) ? 0 : LastScrollTop(dataLen, view.rows, view.rowBytes);
}

void FollowCaret(BufferContext& buffer) {
    HexViewState& view = buffer.HexView;
    if (!view.hasCaret) return;
    uint32_t& top = buffer.RamFile.ViewTop;
    const uint32_t row = RowStart(view.caretOffset, view.rowBytes);
    if (row < top)
        top = row;
    else if (row >= top + PageBytes(view))
        top = static_cast<uint32_t>(row - (PageBytes(view) - view.rowBytes));
}

void SetCaret(BufferContext& buffer, uint32_t offset, bool lowNibble) {
    HexViewState& view = buffer.HexView;
    view.hasCaret = true;
    view.caretOffset = offset;
    view.caretOnLowNibble = lowNibble;
}

// The caret from a selection in the page's hex text; none for a bare caret.
void SetCaretFromSelection(BufferContext& buffer, const HexSelection& selection) {
    if (selection.length == 0) {
        buffer.HexView.hasCaret = false;
        return;
    }
    const HexCursor cursor = CursorAt(selection.start, buffer.HexView.rowBytes);
    SetCaret(buffer, buffer.RamFile.ViewTop + cursor.byteInView, cursor.nibble == Nibble::Low);
}

// Before a caret move: where a Shift selection begins, or none without Shift.
void BeginSelecting(BufferContext& buffer, bool extend) {
    HexViewState& view = buffer.HexView;
    if (!extend) {
        view.hasAnchor = false;
        return;
    }
    if (!view.hasAnchor && view.hasCaret) {
        view.hasAnchor = true;
        view.anchorOffset = view.caretOffset;
    }
}

// After a caret move: a Shift selection covers the anchor's byte to the caret's.
void FinishSelecting(BufferContext& buffer, bool extend) {
    const HexViewState& view = buffer.HexView;
    if (!view.hasAnchor || !view.hasCaret) {
        if (!extend) buffer.Selection = {};
        return;
    }
    const uint32_t first = std::min(view.anchorOffset, view.caretOffset);
    const uint32_t last = std::max(view.anchorOffset, view.caretOffset);
    buffer.Selection = {first, last - first + 1};
}

}  // namespace

uint32_t LastScrollTop(uint32_t dataLen, uint32_t rows, uint32_t rowBytes) {
    return ScrollViewTop(dataLen, dataLen, rows, rowBytes);
}

HexSelection CaretSelection(const BufferContext& buffer, const HexPage& page) {
    const HexViewState& view = buffer.HexView;
    if (!view.hasCaret || view.caretOffset < page.viewTop || view.caretOffset - page.viewTop >= page.shownBytes)
        return {};
    const HexCursor cursor{view.caretOffset - page.viewTop, view.caretOnLowNibble ? Nibble::Low : Nibble::High};
    return HexSelection{TextPosition(cursor, page.rowBytes), 1};
}

void SetHexPageRows(BufferContext& buffer, uint32_t rows) { SetHexPageShape(buffer, rows, buffer.HexView.rowBytes); }

void SetHexPageShape(BufferContext& buffer, uint32_t rows, uint32_t rowBytes) {
    rows = std::max(rows, 1u);
    rowBytes = std::max(rowBytes, 1u);
    HexViewState& view = buffer.HexView;
    if (rows == view.rows && rowBytes == view.rowBytes) return;
    view.rows = rows;
    view.rowBytes = rowBytes;
    uint32_t& top = buffer.RamFile.ViewTop;
    top = std::min(RowStart(top, rowBytes), LastKeyTop(buffer));
    FollowCaret(buffer);
    RedrawHexView(buffer);
}

void ClickHexText(BufferContext& buffer, size_t position, bool extend) {
    BeginSelecting(buffer, extend);
    SetCaretFromSelection(buffer, SelectHexDigitAt(BuildHexPage(buffer).HexText(), position));
    FinishSelecting(buffer, extend);
    RedrawHexView(buffer);
}

bool TypeHexKey(BufferContext& buffer, char key) {
    if (buffer.Locked() || !buffer.HexView.hasCaret || buffer.HexView.caretOffset >= ShownEnd(buffer.RamFile))
        return false;
    FollowCaret(buffer);
    const HexPage page = BuildHexPage(buffer);
    std::string text = page.HexText();
    const HexKeyResult result = ApplyHexKey(buffer, text, CaretSelection(buffer, page), key);
    if (!result.handled) return false;
    if (result.selection.length > 0) {
        SetCaretFromSelection(buffer, result.selection);
    } else if (const uint32_t next = page.viewTop + page.shownBytes; next < ShownEnd(buffer.RamFile)) {
        SetCaret(buffer, next, false);  // past the page's last digit: the next row comes into view
    } else {
        buffer.HexView.hasCaret = false;
    }
    FollowCaret(buffer);
    RedrawHexView(buffer);
    return true;
}

void MoveHexCaret(BufferContext& buffer, HexMove move, bool extend) {
    const uint32_t end = ShownEnd(buffer.RamFile);
    if (end == 0) return;
    HexViewState& view = buffer.HexView;
    BeginSelecting(buffer, extend);
    uint32_t& top = buffer.RamFile.ViewTop;
    if (!view.hasCaret || view.caretOffset >= end) SetCaret(buffer, std::min(top, end - 1), false);
    int64_t offset = view.caretOffset;
    bool low = view.caretOnLowNibble;
    const int64_t last = end - 1;
    const int64_t page = static_cast<int64_t>(PageBytes(view));
    const int64_t row = view.rowBytes;
    // A step down keeps the column, or lands on the last byte when the last row is shorter.
    auto down = [&](int64_t step) {
        if (offset + step <= last)
            offset += step;
        else if (last / row > offset / row)
            offset = last;
    };
    switch (move) {
    case HexMove::Left:
        if (low)
            low = false;
        else if (offset > 0)
            --offset, low = true;
        break;
    case HexMove::Right:
        if (!low)
            low = true;
        else if (offset < last)
            ++offset, low = false;
        break;
    case HexMove::Up:
        if (offset >= row) offset -= row;
        break;
    case HexMove::Down: down(row); break;
    case HexMove::PageUp:
        offset = offset >= page ? offset - page : offset % row;
        top = top >= page ? static_cast<uint32_t>(top - page) : 0;
        break;
    case HexMove::PageDown:
        down(page);
        top = static_cast<uint32_t>(std::min<int64_t>(top + page, LastKeyTop(buffer)));
        break;
    case HexMove::RowStart: offset -= offset % row, low = false; break;
    case HexMove::RowEnd: offset = std::min(offset - offset % row + row - 1, last), low = true; break;
    case HexMove::First: offset = 0, low = false; break;
    case HexMove::Last: offset = last, low = true; break;
    }
    SetCaret(buffer, static_cast<uint32_t>(offset), low);
    FinishSelecting(buffer, extend);
    FollowCaret(buffer);
    RedrawHexView(buffer);
}

void SelectWholeBuffer(BufferContext& buffer) {
    const uint32_t end = ShownEnd(buffer.RamFile);
    buffer.HexView.hasAnchor = false;
    buffer.Selection = {0, end};
    RedrawHexView(buffer);
}

void ScrollHexRows(BufferContext& buffer, int rows) {
    const HexViewState& view = buffer.HexView;
    const int64_t wanted = int64_t{buffer.RamFile.ViewTop} + int64_t{rows} * view.rowBytes;
    const uint32_t last = LastScrollTop(buffer.RamFile.DataLen, view.rows, view.rowBytes);
    buffer.RamFile.ViewTop = static_cast<uint32_t>(std::clamp<int64_t>(wanted, 0, last));
    RedrawHexView(buffer);
}

void PlaceHexCaret(BufferContext& buffer, uint32_t offset) {
    buffer.HexView.hasAnchor = false;
    SetCaret(buffer, offset, false);
    FollowCaret(buffer);
    RedrawHexView(buffer);
}

}  // namespace tq
