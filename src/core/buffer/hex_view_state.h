// What the hex view shows besides the buffer: how many rows fit the window
// and where the caret is. The caret is a buffer offset, so it stays on its
// byte while the view scrolls.
#pragma once

#include <cstdint>

namespace tq {

inline constexpr uint32_t kHexRowBytes = 16;
inline constexpr uint32_t kHexPageRows = 24;
inline constexpr uint32_t kHexPageBytes = kHexRowBytes * kHexPageRows;  // 384

struct HexViewState {
    uint32_t rows = kHexPageRows;
    bool hasCaret = false;
    uint32_t caretOffset = 0;
    bool caretOnLowNibble = false;
};

}  // namespace tq
