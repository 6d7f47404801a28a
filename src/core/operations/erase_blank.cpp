#include "core/operations/erase_blank.h"

#include <algorithm>
#include <cstring>

#include "core/device/commands.h"
#include "core/operations/operation_context.h"

namespace tq {

namespace {

constexpr uint32_t kFillBlock = 2048;

// The programmer erases by itself; the host starts it and asks every 2 s
// (plus the family's extra pause) whether it has finished, at most 100 times.
int PolledErase(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const ChipType type = ChipTypeOf(prj);
    if (SendErase(link, channel, type, 0) == CommandResult::EraseNoAnswer) SendErase(link, channel, type, 0);
    // A lost drive cannot erase anything: say so at once rather than poll
    // a hundred times and blame the chip.
    if (!link.Uart.Connected) return kOpTransferFailed;

    uint32_t position = 0;
    for (int poll = 1;; ++poll) {
        // A stop cannot interrupt the chip's erase; it is remembered and
        // reported once the chip has finished.
        uint8_t raised = 1;
        operation.Busy.StopRequest.compare_exchange_strong(raised, 2);
        link.Wait10us(kErasePollWait10us);
        if (const uint32_t extra = FamilyOf(prj).erasePollExtra10us; extra != 0) link.Wait10us(extra);
        const bool finished = SendErase(link, channel, type, 1) == CommandResult::Ok;
        progress.SetLabelText(std::to_string(poll) + "%");
        position = finished ? 100 : position + 1;
        progress.SetPosition(position);
        if (finished) {
            if (operation.Busy.StopRequest.exchange(0) != 0) {
                return kOpStopped;
            }
            return kOpSuccess;
        }
        if (!link.Uart.Connected) return kOpTransferFailed;
        if (poll == kErasePolls) return kOpFailed;
    }
}

// Writes 0xFF over the whole chip with the write stream.
int FillErase(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    const ChipType type = ChipTypeOf(prj);
    const uint32_t pause10us = FamilyOf(prj).fillErasePause10us;
    const uint32_t block = std::min(prj.Capacity, kFillBlock);
    operation.Views.progress->SetMaximum(prj.Capacity);
    operation.Views.progress->SetPosition(0);
    SendWriteHeader(link, channel, type, 0, prj.Capacity, static_cast<uint16_t>(block));
    if (!link.Uart.Connected) return kOpTransferFailed;

    for (uint32_t written = 0; written < prj.Capacity;) {
        if (uint8_t raised = 1; operation.Busy.StopRequest.compare_exchange_strong(raised, 0)) {
            // Without the abort block the programmer would take the next
            // command frames for chip data.
            SendAbortBlock(link);
            return kOpStopped;
        }
        std::memset(link.SendArea(), 0xFF, block);
        if (link.DeviceWrite(link.SendArea(), block) == 0) return kOpTransferFailed;
        written += block;
        operation.Views.progress->SetPosition(std::min(written, prj.Capacity));
        if (pause10us != 0) link.Wait10us(pause10us);
    }
    link.Wait10us(30000);
    return kOpSuccess;
}

}  // namespace

int EraseOnChannel(OperationContext& operation, uint8_t channel) {
    ProgressView& progress = *operation.Views.progress;
    ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipErase));
    progress.SetState(ProgressState::Normal);
    progress.SetLabelText("0%");
    progress.SetMaximum(100);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);

    if (FamilyOf(operation.Chip.PrjInfo).polledErase) return PolledErase(operation, channel);

    const int result = FillErase(operation, channel);
    progress.SetPosition(operation.Chip.PrjInfo.Capacity);
    progress.SetLabelText("100%");
    return result;
}

void ShowEraseResult(OperationContext& operation, int result, uint32_t elapsedMs) {
    const Dev_Language_Struct& texts = operation.Texts.DevLanguage;
    if (result == kOpSuccess) {
        ShowStatus(operation, TimedStatusLine(operation, texts.LogChipEraseSuccess, elapsedMs));
        return;
    }
    ShowProgressFailure(operation, "ERROR");
    ShowStatus(operation, result == kOpTransferFailed ? StatusLine(operation.clock(), texts.LogChipEraseCommError)
                                                    : TimedStatusLine(operation, texts.LogChipEraseChipErr, elapsedMs));
}

OperationOutcome EraseChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;

    operation.Views.progress->SetLabelColour(LabelColour::WindowText);
    const uint32_t start = operation.clock().TickCount();
    Indicate(operation, IndicatorCode::Working);
    const int result = EraseOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    const uint32_t elapsed = ElapsedSince(operation, start);
    if (result != kOpSuccess) Indicate(operation, IndicatorCode::Failed);
    ShowEraseResult(operation, result, elapsed);
    Indicate(operation, IndicatorCode::Finished);
    if (result != kOpSuccess) return OperationOutcome::Failed;
    Indicate(operation, IndicatorCode::Passed);
    return OperationOutcome::Succeeded;
}

OperationOutcome CheckBlank(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;

    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    const ChipType type = ChipTypeOf(prj);
    // Its own socket test: either socket holding a chip will do, and an
    // empty socket ends the check without a word.
    prj.SocketStatus = {0xFF, 0xFF};
    ChipPresence(link, type, prj.SocketStatus[0], prj.SocketStatus[1]);
    if (prj.SocketStatus[0] != 0 && prj.SocketStatus[1] != 0) return OperationOutcome::EmptySocket;

    ProgressView& progress = *operation.Views.progress;
    Indicate(operation, IndicatorCode::Working);
    progress.SetMaximum(prj.Capacity);
    progress.SetPosition(0);
    progress.SetBarColour(kBarGreen);
    for (uint32_t address = 0; address < prj.Capacity;) {
        const uint32_t length = std::min(prj.Capacity - address, kBlankCheckRange);
        const CommandResult result = BlankCheck(link, prj.ChannelSelector, type, address, length);
        address += length;
        progress.SetPosition(address);
        if (result != CommandResult::Ok) {
            progress.SetBarColour(kBarRed);
            Indicate(operation, IndicatorCode::Failed);
            return OperationOutcome::Failed;
        }
    }
    Indicate(operation, IndicatorCode::Passed);
    return OperationOutcome::Succeeded;
}

}  // namespace tq
