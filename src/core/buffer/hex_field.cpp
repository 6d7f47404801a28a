#include "core/buffer/hex_field.h"

#include <algorithm>

#include "core/base/number_text.h"
#include "core/buffer/buffer_texts.h"

namespace tq {

std::string InvalidHexText(const BufferContext& buffer, const std::string& text) {
    return Text(buffer.Texts.Language, TextId::HexNumberRefused, {text});
}

bool ReadFindPattern(const std::string& text, std::array<uint8_t, 256>& pattern, uint16_t& length) {
    length = static_cast<uint16_t>(std::min<size_t>(text.size() / 2, pattern.size()));
    for (size_t i = 0; i < length; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        pattern[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

}  // namespace tq
