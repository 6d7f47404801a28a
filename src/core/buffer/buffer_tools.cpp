#include "core/buffer/buffer_tools.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <utility>

#include "core/base/number_text.h"
#include "core/buffer/buffer_clipboard.h"
#include "core/buffer/buffer_texts.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/hex_navigation.h"
#include "core/buffer/hex_view_model.h"

namespace tq {

RandomByteSource SeededRandomBytes() {
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return static_cast<uint8_t>((*engine)() & 0xFF); };
}

bool FillBuffer(BufferContext& buffer, uint32_t start, uint32_t count, uint8_t value, const RandomByteSource* random) {
    if (buffer.Locked()) return false;
    Ram_File_Info_Struct& ram = buffer.RamFile;
    const uint32_t bound = StorageBound(buffer);
    if (start > bound) return false;
    // The end is computed in 64 bits: a count that runs past 4 GiB is cut at
    // the capacity like any other, not wrapped to a small end.
    const uint64_t end = uint64_t{start} + count;
    uint64_t dataLen = ram.DataLen;
    if (end > dataLen) dataLen = end;
    if (dataLen > bound) {
        dataLen = bound;
        count = bound - start;
    }
    count = static_cast<uint32_t>(std::min<uint64_t>(count, ram.Data.size() - start));
    RecordRangeBeforeEdit(buffer, start, count);
    ram.DataLen = static_cast<uint32_t>(dataLen);
    uint8_t* bytes = ram.Data.data() + start;  // null without storage, with count 0
    if (random) {
        for (uint32_t i = 0; i < count; ++i) bytes[i] = (*random)();
    } else if (count > 0) {
        std::memset(bytes, value, count);
    }
    ShowStorageCheckSum(buffer);
    buffer.Selection = {};
    ram.ViewTop = RowStart(start, buffer.HexView.rowBytes);
    RedrawHexView(buffer);
    return true;
}

bool JumpBuffer(BufferContext& buffer, uint32_t offset) {
    if (offset >= buffer.RamFile.DataLen) return false;
    buffer.RamFile.ViewTop = RowStart(offset, buffer.HexView.rowBytes);
    PlaceHexCaret(buffer, offset);
    return true;
}

std::optional<uint32_t> SearchBuffer(const Ram_File_Info_Struct& record) {
    const size_t length = record.FindLen;
    if (length == 0) return std::nullopt;
    const uint64_t first = record.FindPos < 0 ? uint64_t{record.ViewTop} : uint64_t(record.FindPos) + 1;
    const uint64_t storage = record.Data.size();
    if (storage < length) return std::nullopt;
    // Candidates stop below DataLen and where the pattern would leave the storage.
    const uint64_t last = std::min<uint64_t>(record.DataLen, storage - length + 1);
    const uint8_t* data = record.Data.data();
    for (uint64_t i = first; i < last; ++i) {
        if (data[i] == record.FindPattern[0] && std::memcmp(data + i, record.FindPattern.data(), length) == 0)
            return static_cast<uint32_t>(i);
    }
    return std::nullopt;
}

namespace {

HexSelection ShowMatch(BufferContext& buffer, uint32_t match) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    ram.FindPos = static_cast<int32_t>(match);
    ram.ViewTop = RowStart(match, buffer.HexView.rowBytes);
    RedrawHexView(buffer);
    return HexSelection{(match - ram.ViewTop) * 3, size_t{ram.FindLen} * 3 - 1};
}

std::optional<HexSelection> ShowSearch(BufferContext& buffer, std::optional<uint32_t> match) {
    if (match) return ShowMatch(buffer, *match);
    buffer.Selection = {};  // an older match highlighted now would pass for this search's
    RedrawHexView(buffer);
    const Ram_File_Info_Struct& ram = buffer.RamFile;
    const std::string pattern = HexBytesText(ram.FindPattern.data(), ram.FindLen);
    buffer.Views.statusBar->SetPanelText(0, Text(buffer.Texts.Language, TextId::FindNotFound, {pattern}));
    return std::nullopt;
}

}  // namespace

std::optional<HexSelection> FindPatternFromView(BufferContext& buffer) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    ram.FindPos = -1;
    if (ram.FindLen == 0) return std::nullopt;
    return ShowSearch(buffer, SearchBuffer(ram));
}

std::optional<HexSelection> FindNextMatch(BufferContext& buffer) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    if (ram.FindLen == 0) {
        ram.FindPos = -1;
        return std::nullopt;
    }
    return ShowSearch(buffer, SearchBuffer(ram));
}

void SwapBufferBytePairs(BufferContext& buffer) {
    if (buffer.Locked()) return;
    RecordByteSwap(buffer);
    SwapBytePairs(buffer.RamFile);
    RedrawHexView(buffer);
}

void SwapBytePairs(Ram_File_Info_Struct& ram) {
    const size_t storage = ram.Data.size();
    for (size_t i = 0; i < ram.DataLen && i + 1 < storage; i += 2) std::swap(ram.Data[i], ram.Data[i + 1]);
}

}  // namespace tq
