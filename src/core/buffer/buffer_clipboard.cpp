#include "core/buffer/buffer_clipboard.h"

#include <algorithm>
#include <cstring>

#include "core/base/number_text.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/hex_navigation.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';'; }

void Say(BufferContext& buffer, TextId id, std::initializer_list<std::string_view> values = {}) {
    buffer.Views.statusBar->SetPanelText(0, Text(buffer.Texts.Language, id, values));
}

uint32_t ShownEnd(const Ram_File_Info_Struct& ram) {
    return static_cast<uint32_t>(std::min<uint64_t>(ram.DataLen, ram.Data.size()));
}

}  // namespace

std::string HexBytesText(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        std::string_view group = text.substr(i, end - i);
        if (group.size() > 2 && group[0] == '0' && (group[1] == 'x' || group[1] == 'X')) group.remove_prefix(2);
        if (group.size() % 2 != 0) return std::nullopt;
        for (size_t d = 0; d < group.size(); d += 2) {
            const int high = HexDigitValue(group[d]), low = HexDigitValue(group[d + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
        i = end;
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> CopySelection(BufferContext& buffer) {
    const Ram_File_Info_Struct& ram = buffer.RamFile;
    const uint32_t end = ShownEnd(ram);
    uint64_t first = 0, count = 0;
    if (buffer.Selection.Length > 0) {
        first = buffer.Selection.Offset;
        count = buffer.Selection.Length;
    } else if (buffer.HexView.hasCaret) {
        first = buffer.HexView.caretOffset;
        count = 1;
    }
    count = first < end ? std::min<uint64_t>(count, end - first) : 0;
    if (count == 0) {
        Say(buffer, TextId::NothingToCopy);
        return std::nullopt;
    }
    if (count > kMaxCopyBytes) {
        Say(buffer, TextId::CopyTooLarge, {std::to_string(count), std::to_string(kMaxCopyBytes >> 20)});
        return std::nullopt;
    }
    const auto from = ram.Data.begin() + static_cast<std::ptrdiff_t>(first);
    std::vector<uint8_t> bytes(from, from + static_cast<std::ptrdiff_t>(count));
    Say(buffer, TextId::CopiedBytes, {std::to_string(count)});
    return bytes;
}

bool PasteBytes(BufferContext& buffer, const std::vector<uint8_t>& bytes) {
    if (buffer.Locked() || bytes.empty()) return false;
    const HexViewState& view = buffer.HexView;
    uint32_t at = 0;
    if (buffer.Selection.Length > 0) {
        at = buffer.Selection.Offset;
    } else if (view.hasCaret) {
        at = view.caretOffset;
    } else {
        Say(buffer, TextId::PasteNeedsCaret);
        return false;
    }
    Ram_File_Info_Struct& ram = buffer.RamFile;
    const uint64_t bound = std::min<uint64_t>(StorageBound(buffer), ram.Data.size());
    if (at >= bound) {
        Say(buffer, TextId::PasteNeedsCaret);
        return false;
    }
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(bytes.size(), bound - at));
    RecordRangeBeforeEdit(buffer, at, count);
    std::memcpy(ram.Data.data() + at, bytes.data(), count);
    ram.DataLen = std::max(ram.DataLen, at + count);
    buffer.Selection = {};
    ShowStorageCheckSum(buffer);
    const std::string address = HexText(at + buffer.Geometry.startAddress, 8);
    if (count < bytes.size())
        Say(buffer, TextId::PastedBytesCut,
            {std::to_string(count), address, std::to_string(bytes.size() - count)});
    else
        Say(buffer, TextId::PastedBytes, {std::to_string(count), address});
    PlaceHexCaret(buffer, std::min(at + count, ShownEnd(ram) - 1));
    return true;
}

bool PasteHexText(BufferContext& buffer, std::string_view text) {
    if (buffer.Locked()) return false;
    const std::optional<std::vector<uint8_t>> bytes = ParseHexBytes(text);
    if (!bytes) {
        buffer.Views.messages->ShowError(Text(buffer.Texts.Language, TextId::PasteNotHex));
        return false;
    }
    return PasteBytes(buffer, *bytes);
}

}  // namespace tq
