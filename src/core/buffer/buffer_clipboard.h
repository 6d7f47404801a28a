// Copy and paste of buffer bytes. A selection leaves as hex text ("12 AB 0F")
// or as raw bytes; what comes back is written over the buffer from the
// caret, as one change that undo takes back. The front-end only moves the
// bytes and texts to and from its clipboard.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/buffer/buffer_context.h"

namespace tq {

// "12 AB 0F": two upper-case digits a byte, one space between bytes.
std::string HexBytesText(const uint8_t* bytes, size_t count);

// Hex text back to bytes: groups of digit pairs ("12AB", "0x12") separated
// by spaces, tabs, line breaks, commas or semicolons. None for an empty text,
// a character that is no hex digit or a group with an odd digit count.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);

// The most bytes one copy takes: as hex text they are three times as many
// characters, and a whole large chip would swamp the clipboard.
inline constexpr uint32_t kMaxCopyBytes = 16u << 20;

// The selected bytes, or the caret's byte when nothing is selected. The
// status line says how many were copied, or that nothing was selected, or
// that the selection is larger than kMaxCopyBytes (nothing is copied).
std::optional<std::vector<uint8_t>> CopySelection(BufferContext& buffer);

// Writes `bytes` over the buffer from the selection's first byte, else the
// caret's, within the chip's capacity and the storage, growing DataLen like
// a fill. One undo step; the checksum is shown, the selection dropped and
// the caret put after the last byte written. The status line says where and
// how many, and how many were left out past the chip's end. False (nothing
// changed) while locked, without a caret or selection, or with no room.
bool PasteBytes(BufferContext& buffer, const std::vector<uint8_t>& bytes);

// Pastes hex text; a text that is not hex bytes is refused with a message.
bool PasteHexText(BufferContext& buffer, std::string_view text);

}  // namespace tq
