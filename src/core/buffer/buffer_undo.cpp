#include "core/buffer/buffer_undo.h"

#include <algorithm>
#include <utility>

#include "core/buffer/buffer_texts.h"
#include "core/buffer/buffer_tools.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_navigation.h"
#include "core/buffer/hex_view_model.h"

namespace tq {
namespace {

void ReportModified(BufferContext& buffer) { buffer.Views.hexView->SetModified(buffer.History.Modified()); }

void Record(BufferContext& buffer, BufferEdit change) {
    change.dataLen = buffer.RamFile.DataLen;
    change.ramStartAddr = buffer.Geometry.startAddress;
    buffer.History.Push(std::move(change));
    ReportModified(buffer);
}

// Sum of the bytes of [offset, offset + count) that lie below the storage bound.
uint32_t BoundedSum(const BufferContext& buffer, uint32_t offset, size_t count) {
    const uint32_t bound = StorageBound(buffer);
    if (offset >= bound) return 0;
    return CheckSum32(0, buffer.RamFile.Data.data() + offset, std::min<size_t>(count, bound - offset));
}

// Puts the buffer into the change's other state and keeps the change's
// side holding the state just left.
void Exchange(BufferContext& buffer, BufferEdit& change) {
    Ram_File_Info_Struct& ram = buffer.RamFile;
    if (change.kind == BufferEdit::Kind::SwapPairs) {
        SwapBytePairs(ram);
        buffer.KnownStorageSum.reset();
    } else if (change.offset < ram.Data.size()) {
        const size_t count = std::min<size_t>(change.bytes.size(), ram.Data.size() - change.offset);
        auto& known = buffer.KnownStorageSum;
        if (known) known->sum -= BoundedSum(buffer, change.offset, count);
        std::swap_ranges(change.bytes.begin(), change.bytes.begin() + static_cast<std::ptrdiff_t>(count),
                         ram.Data.begin() + change.offset);
        if (known) known->sum += BoundedSum(buffer, change.offset, count);
    }
    std::swap(ram.DataLen, change.dataLen);
    std::swap(buffer.Geometry.startAddress, change.ramStartAddr);
}

bool Apply(BufferContext& buffer, BufferEdit* change) {
    if (!change) return false;
    Exchange(buffer, *change);
    ShowStorageCheckSum(buffer);
    if (change->kind == BufferEdit::Kind::Bytes && change->offset < buffer.RamFile.DataLen)
        PlaceHexCaret(buffer, change->offset);
    else
        RedrawHexView(buffer);
    ReportModified(buffer);
    return true;
}

}  // namespace

void RecordRangeBeforeEdit(BufferContext& buffer, uint32_t offset, uint32_t count) {
    const std::vector<uint8_t>& data = buffer.RamFile.Data;
    BufferEdit change;
    if (offset < data.size()) {
        const size_t kept = std::min<size_t>(count, data.size() - offset);
        change.bytes.assign(data.begin() + offset, data.begin() + static_cast<std::ptrdiff_t>(offset + kept));
    }
    change.offset = offset;
    buffer.KnownStorageSum.reset();
    Record(buffer, std::move(change));
}

void RecordByteEdit(BufferContext& buffer, uint32_t offset, uint8_t before, uint8_t after, bool lowNibble) {
    BufferHistory& history = buffer.History;
    if (lowNibble && history.openByteEdit == offset) {
        history.openByteEdit.reset();
        return;
    }
    if (before == after) return;
    BufferEdit change;
    change.offset = offset;
    change.bytes = {before};
    Record(buffer, std::move(change));
    if (!lowNibble) history.openByteEdit = offset;
}

void RecordByteSwap(BufferContext& buffer) {
    BufferEdit change;
    change.kind = BufferEdit::Kind::SwapPairs;
    // Pairs wholly below the bound keep the sum; one that crosses it does not.
    const uint64_t touched = std::min<uint64_t>((uint64_t{buffer.RamFile.DataLen} + 1) & ~uint64_t{1},
                                                buffer.RamFile.Data.size());
    if (touched > StorageBound(buffer)) buffer.KnownStorageSum.reset();
    Record(buffer, std::move(change));
}

bool UndoBufferEdit(BufferContext& buffer) { return !buffer.Locked() && Apply(buffer, buffer.History.Undo()); }

bool RedoBufferEdit(BufferContext& buffer) { return !buffer.Locked() && Apply(buffer, buffer.History.Redo()); }

void ForgetBufferHistory(BufferContext& buffer) {
    buffer.History.Clear();
    buffer.Selection = {};  // a new image: the last find's match is gone
    buffer.KnownStorageSum.reset();
    buffer.HexView.hasCaret = false;
    ReportModified(buffer);
}

void MarkBufferSaved(BufferContext& buffer) {
    buffer.History.MarkClean();
    ReportModified(buffer);
}

bool ConfirmDiscardEdits(BufferContext& buffer) {
    if (!buffer.History.Modified()) return true;
    switch (buffer.Views.messages->AskSaveDiscardCancel(Text(buffer.Texts.Language, TextId::SaveUnsavedEdits))) {
        case SaveChoice::Save: return SaveBufferAs(buffer);  // a cancelled or failed save keeps everything
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: return false;
    }
    return false;
}

}  // namespace tq
