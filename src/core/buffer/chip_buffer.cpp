#include "core/buffer/chip_buffer.h"

#include <algorithm>
#include <cstdio>

#include "core/buffer/buffer_undo.h"
#include "core/buffer/caption_text.h"
#include "core/buffer/hex_view_model.h"

namespace tq {

uint32_t CheckSum32(uint32_t initial, const uint8_t* bytes, size_t count) {
    uint32_t sum = initial;
    for (size_t i = 0; i < count; ++i) sum += bytes[i];
    return sum;
}

std::string CheckSumText(uint32_t sum) {
    char text[32];
    std::snprintf(text, sizeof text, "CheckSum:0x%08X", static_cast<unsigned>(sum));
    return text;
}

void ShowCheckSum(BufferContext& buffer, uint32_t sum) { buffer.Views.statusBar->SetPanelText(1, CheckSumText(sum)); }

uint32_t StorageBound(const BufferContext& buffer) {
    return static_cast<uint32_t>(std::min<uint64_t>(buffer.Geometry.capacity, buffer.RamFile.Data.size()));
}

uint32_t StorageCheckSum(BufferContext& buffer) {
    const uint8_t* data = buffer.RamFile.Data.data();
    const uint32_t bound = StorageBound(buffer);
    auto& known = buffer.KnownStorageSum;
    if (!known || known->data != data || known->bound != bound)
        known = BufferContext::StorageSum{data, bound, CheckSum32(0, data, bound)};
    return known->sum;
}

void ShowStorageCheckSum(BufferContext& buffer) { ShowCheckSum(buffer, StorageCheckSum(buffer)); }

void AdjustStorageSum(BufferContext& buffer, uint32_t offset, uint8_t before, uint8_t after) {
    if (offset < StorageBound(buffer) && buffer.KnownStorageSum) buffer.KnownStorageSum->sum += after - before;
}

void ResetHexViewToTop(BufferContext& buffer) {
    buffer.Views.hexView->SetScrollBar(buffer.RamFile.DataLen, 0);
    buffer.RamFile.ViewTop = 0;
    buffer.HexView.hasCaret = false;
    RedrawHexView(buffer);
}

void ReplaceBufferStorage(BufferContext& buffer, uint32_t capacity) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    ram.Data.clear();
    ram.Data.shrink_to_fit();  // release the old chip's storage before allocating the new
    ram.Data.assign(capacity, 0xFF);
    ram.DataLen = capacity;
    ForgetBufferHistory(buffer);
    ResetHexViewToTop(buffer);
}

void NewChipBuffer(BufferContext& buffer, uint32_t capacity) {
    ReplaceBufferStorage(buffer, capacity);
    const auto& data = buffer.RamFile.Data;
    ShowCheckSum(buffer, CheckSum32(0, data.data(), data.size()));
    SetBufferHolding(buffer, {});
}

}  // namespace tq
