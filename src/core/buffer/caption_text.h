// The caption's text for what the buffer holds, kept right by every routine
// that puts something else into the buffer: a file opened, imported or saved,
// a chip read, a chip chosen, a language chosen.
#pragma once

#include <cstdint>
#include <string>

#include "core/buffer/buffer_context.h"
#include "core/buffer/caption_view.h"

namespace tq {

// "name.bin", "name.bin (first 256 of 1048576 bytes)", "GD25Q64 (read from
// the chip)", or empty when the buffer holds no file and no chip's data.
std::string HoldingText(const BufferHolding& holding, int32_t language);

// The window's caption: the program's title, four blanks, HoldingText.
std::string BufferCaption(const BufferContext& buffer);

// Records what the buffer now holds and shows the caption on `caption`, or
// on the buffer's own caption view when none is given.
void SetBufferHolding(BufferContext& buffer, BufferHolding holding, CaptionView* caption = nullptr);

// A chip's whole memory was read into the buffer: the caption names the chip
// and the status bar shows the checksum of the data read.
void TakeChipRead(BufferContext& buffer, const std::string& chipName);

}  // namespace tq
