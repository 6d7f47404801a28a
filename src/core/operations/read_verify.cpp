#include "core/operations/read_verify.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/buffer/buffer_undo.h"
#include "core/buffer/caption_text.h"
#include "core/device/commands.h"
#include "core/operations/operation_context.h"
#include "core/operations/write.h"

namespace tq {

namespace {

// A family's block for a chip of `pageSize`: its pages cut to the whole
// pages that fit the receive area, or its fixed size.
uint32_t BlockFor(const TransferBlock& rule, uint16_t pageSize) {
    if (rule.pages == 0) return rule.bytes == 0 ? kAreaSize : rule.bytes;
    if (pageSize == 0) return kAreaSize;
    const uint32_t fitting = std::min<uint32_t>(rule.pages, kAreaSize / pageSize);
    return fitting == 0 ? kAreaSize : fitting * pageSize;
}

int ReadFailed(OperationContext& operation) {
    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipReadError));
    ShowProgressFailure(operation, "ERROR");
    Indicate(operation, IndicatorCode::Failed);
    Indicate(operation, IndicatorCode::Finished);
    return kOpFailed;
}

}  // namespace

uint32_t ReadBlockSize(const Prj_Info_Struct& prj) { return BlockFor(FamilyOf(prj).readBlock, prj.PageSize); }

uint32_t VerifyBlockSize(const Prj_Info_Struct& prj) { return BlockFor(FamilyOf(prj).verifyBlock, prj.PageSize); }

int ReadOnChannel(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const ChipType type = ChipTypeOf(prj);
    const uint32_t pause10us = FamilyOf(prj).readPause10us;
    const uint32_t capacity = prj.Capacity;

    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipReadChip));
    ResetProgressLabel(operation);
    Indicate(operation, IndicatorCode::Working);
    const uint32_t start = operation.clock().TickCount();
    progress.SetMaximum(capacity);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);

    // The chip's bytes go into new storage; the buffer is replaced only once
    // every block has arrived, so a failed read loses nothing.
    std::vector<uint8_t> chip(capacity, 0xFF);
    uint32_t block = std::min(ReadBlockSize(prj), capacity);
    SendReadHeader(link, channel, type, 0, capacity, static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return ReadFailed(operation);

    int retries = 0;
    for (uint32_t offset = 0; offset < capacity;) {
        block = std::min(block, capacity - offset);
        link.Wait1us(1);
        if (link.DeviceRead(link.ReceiveArea(), block) == 0) return ReadFailed(operation);
        if (BlockHasNotDeliveredMarker(link.ReceiveArea(), RoundToSectors(block))) {
            // Not delivered: ask again from here, a bounded number of times.
            if (++retries > kReadBlockRetries) return ReadFailed(operation);
            SendReadHeader(link, channel, type, offset, capacity, static_cast<uint16_t>(block));
            if (!link.Uart.Connected) return ReadFailed(operation);
        } else {
            std::memcpy(chip.data() + offset, link.ReceiveArea(), block);
            offset += block;
            retries = 0;
        }
        ShowProgress(operation, offset, capacity);
        if (pause10us != 0) link.Wait10us(pause10us);
    }
    const uint32_t elapsed = ElapsedSince(operation, start);

    Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    buffer.Data = std::move(chip);
    buffer.DataLen = capacity;
    buffer.ViewTop = 0;
    ForgetBufferHistory(operation.Buffer);
    TakeChipRead(operation.Buffer, operation.Chip.PrjInfo.ChipName);
    operation.Views.hexView->Redraw();

    const std::string line = TimedStatusLine(operation, operation.Texts.DevLanguage.LogChipReadSuccess, elapsed);
    Indicate(operation, IndicatorCode::Finished);
    Indicate(operation, IndicatorCode::Passed);
    ShowStatus(operation, line);
    return kOpSuccess;
}

int VerifyOnChannel(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const Ram_File_Info_Struct& buffer = operation.Buffer.RamFile;
    const uint32_t length = std::min({buffer.DataLen, prj.Capacity, static_cast<uint32_t>(buffer.Data.size())});

    auto mismatch = [&] {
        ShowProgressFailure(operation, "Error");
        return kOpFailed;
    };

    progress.SetMaximum(buffer.DataLen);
    progress.SetBarColour(kBarGreen);
    progress.SetPosition(0);
    uint32_t block = VerifyBlockSize(prj);
    progress.SetState(ProgressState::Normal);
    // Announce only the bytes that will be fetched: a longer buffer than the
    // chip must not send the programmer reading past the chip's end.
    SendReadHeader(link, channel, ChipTypeOf(prj), prj.RamStartAddr, length,
                   static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return mismatch();

    for (uint32_t offset = 0; offset < length;) {
        if (uint8_t raised = 1; operation.Busy.StopRequest.compare_exchange_strong(raised, 0)) {
            return kOpStopped;
        }
        block = std::min(block, prj.Capacity - offset);
        link.Wait1us(1);
        // A block that did not arrive leaves old bytes in the receive area:
        // it counts as a difference, never as a match.
        if (link.DeviceRead(link.ReceiveArea(), block) == 0) return mismatch();
        block = std::min(block, length - offset);
        if (std::memcmp(buffer.Data.data() + offset, link.ReceiveArea(), block) != 0) return mismatch();
        offset += block;
        ShowProgress(operation, offset, buffer.DataLen);
    }
    return kOpSuccess;
}

OperationOutcome ReadChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;
    if (!ConfirmDiscardEdits(operation.Buffer)) return OperationOutcome::Declined;
    return ReadOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector) == kOpSuccess ? OperationOutcome::Succeeded
                                                                             : OperationOutcome::Failed;
}

OperationOutcome VerifyChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (const OperationOutcome image = CheckImageFitsChip(operation); image != OperationOutcome::Succeeded) return image;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;

    const Dev_Language_Struct& texts = operation.Texts.DevLanguage;
    ShowStatus(operation, StatusLine(operation.clock(), texts.LogChipVerifyChip));
    ResetProgressLabel(operation);
    Indicate(operation, IndicatorCode::Working);
    Indicate(operation, IndicatorCode::Working);
    const uint32_t start = operation.clock().TickCount();
    const int result = VerifyOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    const uint32_t elapsed = ElapsedSince(operation, start);

    const bool equal = result == kOpSuccess;
    const std::string line = TimedStatusLine(operation, equal ? texts.LogChipVerifySuccess : texts.LogChipVerifyError, elapsed);
    Indicate(operation, equal ? IndicatorCode::Passed : IndicatorCode::Failed);
    operation.Views.progress->SetState(equal ? ProgressState::Normal : ProgressState::Error);
    Indicate(operation, equal ? IndicatorCode::Finished : IndicatorCode::FinishedWithError);
    ShowStatus(operation, line);
    return equal ? OperationOutcome::Succeeded : OperationOutcome::Failed;
}

}  // namespace tq
