// Find and find next as the window runs them: a match is also remembered as
// the buffer's selection, which the hex view paints, and the view redrawn.
#pragma once

#include <optional>

#include "core/buffer/tool_dialog.h"

namespace tq {

// OK of the parameter dialog in any mode; a find that matched selects the bytes.
std::optional<HexSelection> FileEditOkSelecting(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption,
                                                const RandomByteSource& random = SeededRandomBytes());

// Find next; a match selects the bytes.
std::optional<HexSelection> FindNextSelecting(BufferContext& buffer);

}  // namespace tq
