// The buffer tools: fill a range, jump the view, find a byte pattern (and its
// next occurrence), and swap the bytes of every 16-bit pair. Offsets are
// buffer offsets, not the chip addresses the view shows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/buffer/hex_cursor.h"
#include "core/buffer/buffer_context.h"

namespace tq {

using RandomByteSource = std::function<uint8_t()>;
// A pseudo-random byte source seeded from the system's entropy.
RandomByteSource SeededRandomBytes();

// Fills `count` bytes from `start` with `value`, or with a new random byte
// each when `random` is given; grows DataLen to the end of the range, all
// within the chip's capacity and the storage. Shows the checksum, moves
// the view to `start` and drops the selection (the filled bytes are no
// longer what a find matched). False (nothing changed) when start lies
// beyond them.
bool FillBuffer(BufferContext& buffer, uint32_t start, uint32_t count, uint8_t value,
                const RandomByteSource* random = nullptr);

// Shows the row holding `offset` at the top with the caret on that byte;
// false (nothing changed) at or beyond DataLen.
bool JumpBuffer(BufferContext& buffer, uint32_t offset);

// The next offset below DataLen where FindPattern's FindLen bytes occur,
// starting at ViewTop for a new search (FindPos -1) or after FindPos. A match
// never reads past the storage. No wrap-around.
std::optional<uint32_t> SearchBuffer(const Ram_File_Info_Struct& record);

// Searches for the pattern already in FindPattern / FindLen, as a new search.
// On a match: FindPos, the view on its row, a redraw, and the selection that
// covers the matched cells in the hex column (without the trailing space).
// No match says so in the status line and drops the selection.
std::optional<HexSelection> FindPatternFromView(BufferContext& buffer);

// Find next: the occurrence after FindPos; without a pattern nothing at all,
// without a further match the status line says so and the selection goes.
std::optional<HexSelection> FindNextMatch(BufferContext& buffer);

// Exchanges bytes i and i + 1 for i = 0, 2, 4 ... below DataLen; an odd last
// byte is exchanged with the byte after it only if the storage holds one.
void SwapBufferBytePairs(BufferContext& buffer);

// The exchange itself, without display or undo record: its own inverse.
void SwapBytePairs(Ram_File_Info_Struct& ram);

}  // namespace tq
