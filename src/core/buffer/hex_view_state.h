// What the hex view shows besides the buffer: how many rows of how many
// bytes fit the window and where the caret is. The caret is a buffer offset,
// so it stays on its byte while the view scrolls or the rows change width.
#pragma once

#include <cstdint>

namespace tq {

inline constexpr uint32_t kHexRowBytes = 16;  // the row width at the window's first size
inline constexpr uint32_t kHexRowStep = 8;    // a wider view adds bytes per row in steps of this
inline constexpr uint32_t kHexMaxRowBytes = 64;
inline constexpr uint32_t kHexPageRows = 24;
inline constexpr uint32_t kHexPageBytes = kHexRowBytes * kHexPageRows;  // 384

struct HexViewState {
    uint32_t rows = kHexPageRows;
    bool hasCaret = false;
    uint32_t caretOffset = 0;
    bool caretOnLowNibble = false;
    uint32_t rowBytes = kHexRowBytes;  // a multiple of kHexRowStep
    // Where a selection made with Shift and the caret keys or a click began.
    bool hasAnchor = false;
    uint32_t anchorOffset = 0;
};

// The first offset of the row that holds `offset`.
inline uint32_t RowStart(uint32_t offset, uint32_t rowBytes) { return offset - offset % rowBytes; }

}  // namespace tq
