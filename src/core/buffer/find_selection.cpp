#include "core/buffer/find_selection.h"

#include "core/buffer/hex_navigation.h"
#include "core/buffer/hex_view_model.h"

namespace tq {
namespace {

std::optional<HexSelection> Selecting(BufferContext& buffer, std::optional<HexSelection> match) {
    if (!match) return match;
    buffer.Selection = {static_cast<uint32_t>(buffer.RamFile.FindPos), buffer.RamFile.FindLen};
    // The caret goes to the match, so typing or a key continues from there.
    PlaceHexCaret(buffer, buffer.Selection.Offset);
    return match;
}

}  // namespace

std::optional<HexSelection> FileEditOkSelecting(BufferContext& buffer, FileEditDialog& dialog, CaptionView& caption,
                                                const RandomByteSource& random) {
    return Selecting(buffer, ApplyBufferDialog(buffer, dialog, caption, random));
}

std::optional<HexSelection> FindNextSelecting(BufferContext& buffer) {
    return Selecting(buffer, FindNextMatch(buffer));
}

}  // namespace tq
