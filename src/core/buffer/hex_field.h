// The number rules of the buffer dialogs: a number field holds a number as
// ParseHexNumber (base/number_text.h) reads it; the find field holds a byte pattern as digit pairs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/base/number_text.h"
#include "core/buffer/buffer_context.h"

namespace tq {

// The error message for a field text that is not a valid number; it quotes the text.
std::string InvalidHexText(const BufferContext& buffer, const std::string& text);

// Reads the find field into the search pattern: FindLen = half the text's
// length (an odd last digit is ignored), at most the 256 bytes the pattern
// holds; then each pair in turn. On a pair that is not two hex digits it stops
// and returns false: the pairs before it stay converted, FindLen is already set.
bool ReadFindPattern(const std::string& text, std::array<uint8_t, 256>& pattern, uint16_t& length);

}  // namespace tq
