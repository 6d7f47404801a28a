#include "core/operations/erase_blank.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/device/commands.h"
#include "core/operations/chip_backup.h"
#include "core/operations/operation_context.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {

constexpr uint32_t kFillBlock = 2048;

// How long a polled erase may take before it counts as failed: the polls
// and their pauses.
uint32_t PolledEraseLimitMs(const Prj_Info_Struct& prj) {
    return kErasePolls * ((kErasePollWait10us + FamilyOf(prj).erasePollExtra10us) / 100);
}

// The programmer erases by itself; the host starts it and asks every 2 s
// (plus the family's extra pause) whether it has finished, at most 100 times.
// A stop ends the waiting at once; the programmer goes on erasing, and the
// device context remembers that until the next command has seen it end.
int PolledErase(OperationContext& operation, uint8_t channel) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    DeviceLink& link = operation.Device.Link;
    ProgressView& progress = *operation.Views.progress;
    const ChipType type = ChipTypeOf(prj);
    const uint32_t startTick = operation.clock().TickCount();
    if (SendErase(link, channel, type, 0) == CommandResult::EraseNoAnswer) SendErase(link, channel, type, 0);
    // A lost drive cannot erase anything: say so at once rather than poll
    // a hundred times and blame the chip.
    if (!link.Uart.Connected) return kOpTransferFailed;
    operation.Device.EraseRunning = RunningErase{channel, type, startTick, PolledEraseLimitMs(prj)};

    uint32_t position = 0;
    for (int poll = 1;; ++poll) {
        const uint32_t wait = kErasePollWait10us + FamilyOf(prj).erasePollExtra10us;
        if (WaitUnlessStopped(operation, wait)) {
            TakeStopRequest(operation);
            ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::EraseWaitStopped)));
            ShowProgressStopped(operation);
            return kOpStopped;
        }
        const bool finished = SendErase(link, channel, type, 1) == CommandResult::Ok;
        progress.SetLabelText(std::to_string(poll) + "%");
        position = finished ? 100 : position + 1;
        progress.SetPosition(position);
        if (finished) {
            operation.Device.EraseRunning.reset();
            return kOpSuccess;
        }
        if (!link.Uart.Connected) {
            operation.Device.EraseRunning.reset();
            return kOpTransferFailed;
        }
        if (poll == kErasePolls) {
            operation.Device.EraseRunning.reset();
            return kOpFailed;
        }
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
        if (TakeStopRequest(operation)) {
            // Without the abort block the programmer would take the next
            // command frames for chip data.
            SendAbortBlock(link);
            return ShowStopped(operation, ChipWork::Erase, written, prj.Capacity);
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
    if (result == kOpStopped) return result;
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
    // A stop has said how far the erase got where it happened.
    if (result == kOpStopped) return;
    ShowProgressFailure(operation, "ERROR");
    if (result == kOpTransferFailed) {
        ShowStatus(operation, StatusLine(operation.clock(), texts.LogChipEraseCommError));
        return;
    }
    // The chip never reported the end of its erase: that, not the chip choice, is what happened.
    ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::EraseDidNotEnd,
                                                             {FormatSeconds(elapsedMs)})));
}

OperationOutcome EraseChip(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;
    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;
    if (CheckSocket(operation) != SocketCheck::ChipPresent) return OperationOutcome::EmptySocket;
    std::vector<uint8_t> backup;
    if (const OperationOutcome guard = BackUpBeforeOverwrite(operation, backup); guard != OperationOutcome::Succeeded)
        return guard;

    operation.Views.progress->SetLabelColour(LabelColour::WindowText);
    const uint32_t start = operation.clock().TickCount();
    Indicate(operation, IndicatorCode::Working);
    const int result = EraseOnChannel(operation, operation.Chip.PrjInfo.ChannelSelector);
    const uint32_t elapsed = ElapsedSince(operation, start);
    if (result != kOpSuccess) Indicate(operation, IndicatorCode::Failed);
    ShowEraseResult(operation, result, elapsed);
    Indicate(operation, IndicatorCode::Finished);
    if (result != kOpSuccess) return OutcomeOfResult(result);
    Indicate(operation, IndicatorCode::Passed);
    return OperationOutcome::Succeeded;
}

OperationOutcome CheckBlank(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    if (!ChipSelected(operation)) return OperationOutcome::NoChipSelected;
    if (const OperationOutcome wait = AwaitRunningErase(operation); wait != OperationOutcome::Succeeded) return wait;

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
        if (TakeStopRequest(operation)) {
            Indicate(operation, IndicatorCode::Failed);
            ShowStopped(operation, ChipWork::BlankCheck, address, prj.Capacity);
            return OperationOutcome::Stopped;
        }
        const uint32_t length = std::min(prj.Capacity - address, kBlankCheckRange);
        const CommandResult result = BlankCheck(link, prj.ChannelSelector, type, address, length);
        address += length;
        progress.SetPosition(address);
        if (result != CommandResult::Ok) {
            progress.SetBarColour(kBarRed);
            // No answer is no verdict on the chip: say the link failed instead.
            if (!link.Uart.Connected) {
                ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::BlankCheckTransferFailed)));
                ShowProgressFailure(operation, "ERROR");
                return OperationOutcome::Failed;
            }
            Indicate(operation, IndicatorCode::Failed);
            return OperationOutcome::Failed;
        }
    }
    Indicate(operation, IndicatorCode::Passed);
    return OperationOutcome::Succeeded;
}

}  // namespace tq
