#include "core/buffer/chip_buffer.h"

#include <algorithm>
#include <cstdio>

#include "core/buffer/hex_view_model.h"

namespace tq {

uint32_t CheckSum32(uint32_t initial, const uint8_t* bytes, size_t count) {
    uint32_t sum = initial;
    for (size_t i = 0; i < count; ++i) sum += bytes[i];
    return sum;
}

std::string CheckSumText(uint32_t sum, CheckSumForm form) {
    char text[32];
    std::snprintf(text, sizeof text, form == CheckSumForm::WithHex0x ? "CheckSum:0x%08XH" : "CheckSum:%08XH",
                  static_cast<unsigned>(sum));
    return text;
}

void ShowCheckSum(Session& session, uint32_t sum, CheckSumForm form) {
    session.Views.statusBar->SetPanelText(1, CheckSumText(sum, form));
}

uint32_t StorageBound(const Session& session) {
    return static_cast<uint32_t>(std::min<uint64_t>(session.PrjInfo.Capacity, session.RamFile.Data.size()));
}

void ShowStorageCheckSum(Session& session) {
    ShowCheckSum(session, CheckSum32(0, session.RamFile.Data.data(), StorageBound(session)), CheckSumForm::Plain);
}

void ResetHexViewToTop(Session& session) {
    session.Views.hexView->SetScrollBar(session.RamFile.DataLen, 0);
    session.RamFile.ViewTop = 0;
    RedrawHexView(session);
}

void ReplaceBufferStorage(Session& session, uint32_t capacity) {
    Ram_File_Info_Struct& ram = session.RamFile;
    ram.Data.clear();
    ram.Data.shrink_to_fit();  // release the old chip's storage before allocating the new
    ram.Data.assign(capacity, 0xFF);
    ram.DataLen = capacity;
    ResetHexViewToTop(session);
}

void NewChipBuffer(Session& session, uint32_t capacity) {
    if (session.ChipFrameInProjectDialog) return;
    ReplaceBufferStorage(session, capacity);
    const auto& data = session.RamFile.Data;
    ShowCheckSum(session, CheckSum32(0, data.data(), data.size()), CheckSumForm::Plain);
    session.DevInf.SuccessCount = 0;
    session.DevInf.FailCount = 0;
}

}  // namespace tq
