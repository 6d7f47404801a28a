#include "core/operations/operation_display.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/texts/text_catalogue.h"
#include "core/base/number_text.h"
#include "core/base/transfer_estimate.h"
#include "core/device/commands.h"
#include "core/operations/operation_context.h"

namespace tq {

OperationScope::OperationScope(OperationContext& operation)
    : operation_(operation), claimed_(!operation.Busy.Running.exchange(true)) {
    if (claimed_) operation.Busy.Transfer.Clear();
}

OperationScope::~OperationScope() {
    if (!claimed_) return;
    operation_.Busy.StopRequest = 0;
    operation_.Busy.Running = false;
}

uint32_t ElapsedSince(OperationContext& operation, uint32_t startTick) { return operation.clock().TickCount() - startTick; }

std::string TimedStatusLine(OperationContext& operation, const std::string& text, uint32_t milliseconds) {
    std::string line = text + FormatSeconds(milliseconds) + operation.Texts.DevLanguage.LogOperatTime;
    // A transfer that just ended says how fast it went, once.
    TransferEstimate& transfer = operation.Busy.Transfer;
    if (transfer.AverageRate() > 0) line += "  " + FormatByteRate(transfer.AverageRate());
    transfer.Clear();
    return StatusLine(operation.clock(), line);
}

void ShowStatus(OperationContext& operation, const std::string& line) { operation.Views.statusBar->SetPanelText(0, line); }

void ShowNotConnected(OperationContext& operation) {
    operation.Views.messages->ShowWarning(Text(operation.Texts.Language, TextId::ProgrammerNotConnectedWarning));
}

bool RequireConnected(OperationContext& operation) {
    if (operation.Device.Link.Uart.Connected) return true;
    ShowNotConnected(operation);
    return false;
}

SocketCheck CheckSocket(OperationContext& operation) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    prj.SocketStatus = {0xFF, 0xFF};
    // Only a well-formed answer replaces the states; anything else leaves 0xFF.
    ChipPresence(operation.Device.Link, ChipTypeOf(prj), prj.SocketStatus[0], prj.SocketStatus[1]);
    if (prj.SocketStatus[0] == 0) return SocketCheck::ChipPresent;
    ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::NoChipInSocket)));
    ShowProgressFailure(operation, "ERROR");
    return SocketCheck::NoChip;
}

bool ChipSelected(const OperationContext& operation) { return operation.Chip.PrjInfo.BlockSize >= 16; }

void Indicate(OperationContext& operation, IndicatorCode code) { SetIndicator(operation.Device.Link, code); }

void ResetProgressLabel(OperationContext& operation) {
    ProgressView& progress = *operation.Views.progress;
    progress.SetState(ProgressState::Normal);
    progress.SetLabelColour(LabelColour::WindowText);
    progress.SetLabelText("0%");
    operation.Busy.Transfer.Start(operation.clock().NowMicros());
}

void ShowProgress(OperationContext& operation, uint32_t position, uint32_t maximum) {
    const uint32_t shown = std::min(position, maximum);
    operation.Views.progress->SetPosition(shown);
    const uint64_t percent = maximum == 0 ? 100 : static_cast<uint64_t>(shown) * 100 / maximum;
    TransferEstimate& transfer = operation.Busy.Transfer;
    transfer.Update(operation.clock().NowMicros(), position, maximum);
    std::string label = std::to_string(percent) + "%";
    if (const std::optional<double> left = transfer.SecondsLeft())
        label = Text(operation.Texts.Language, TextId::ProgressWithTimeLeft, {label, FormatMinutesSeconds(*left)});
    operation.Views.progress->SetLabelText(label);
}

void ShowProgressFailure(OperationContext& operation, const std::string& label) {
    ProgressView& progress = *operation.Views.progress;
    progress.SetState(ProgressState::Error);
    progress.SetLabelColour(LabelColour::Red);
    progress.SetLabelText(label);
}

void ShowProgressStopped(OperationContext& operation) {
    ProgressView& progress = *operation.Views.progress;
    progress.SetState(ProgressState::Stopped);
    progress.SetLabelColour(LabelColour::WindowText);
    progress.SetLabelText(Text(operation.Texts.Language, TextId::StoppedBarLabel));
}

OperationOutcome OutcomeOfResult(int result) {
    switch (result) {
        case kOpSuccess: return OperationOutcome::Succeeded;
        case kOpStopped: return OperationOutcome::Stopped;
        default: return OperationOutcome::Failed;
    }
}

bool TakeStopRequest(OperationContext& operation) {
    uint8_t raised = 1;
    return operation.Busy.StopRequest.compare_exchange_strong(raised, 0);
}

bool WaitUnlessStopped(OperationContext& operation, uint32_t wait10us) {
    // Slices of 0.1 s: a stop is seen at once, and the sum of the slices is
    // the whole wait, so timings stay what they were.
    constexpr uint32_t kSlice10us = 10000;
    while (wait10us > 0) {
        if (operation.Busy.StopRequest.load() == 1) return true;
        const uint32_t slice = std::min(wait10us, kSlice10us);
        operation.Device.Link.Wait10us(slice);
        wait10us -= slice;
    }
    return operation.Busy.StopRequest.load() == 1;
}

int ShowStopped(OperationContext& operation, ChipWork work, uint32_t done, uint32_t total) {
    TextId id = TextId::WriteStoppedAfter;
    switch (work) {
        case ChipWork::Erase: id = TextId::EraseStoppedAfter; break;
        case ChipWork::BlankCheck: id = TextId::BlankCheckStoppedAfter; break;
        case ChipWork::Write: id = TextId::WriteStoppedAfter; break;
        case ChipWork::Read: id = TextId::ReadStoppedAfter; break;
        case ChipWork::Verify: id = TextId::VerifyStoppedAfter; break;
    }
    const std::string line = Text(operation.Texts.Language, id, {std::to_string(std::min(done, total)), std::to_string(total)});
    ShowStatus(operation, StatusLine(operation.clock(), line));
    ShowProgressStopped(operation);
    return kOpStopped;
}

bool ChipStayedInSocket(OperationContext& operation) {
    Prj_Info_Struct& prj = operation.Chip.PrjInfo;
    uint8_t first = 0xFF, second = 0xFF;
    // No answer says nothing about the socket: only a clear "empty" counts.
    if (ChipPresence(operation.Device.Link, ChipTypeOf(prj), first, second) != CommandResult::Ok || first == 0) return true;
    ShowStatus(operation, StatusLine(operation.clock(), Text(operation.Texts.Language, TextId::ChipLeftSocket)));
    ShowProgressFailure(operation, "ERROR");
    return false;
}

OperationOutcome AwaitRunningErase(OperationContext& operation) {
    std::optional<RunningErase>& running = operation.Device.EraseRunning;
    if (!running) return OperationOutcome::Succeeded;
    DeviceLink& link = operation.Device.Link;
    const int language = operation.Texts.Language;
    constexpr uint32_t kPollWait10us = 50000;  // 0.5 s between polls
    for (bool shown = false;; shown = true) {
        if (SendErase(link, running->channel, running->type, 1) == CommandResult::Ok) {
            running.reset();
            return OperationOutcome::Succeeded;
        }
        if (!link.Uart.Connected) {
            // A programmer that went away has stopped erasing with it.
            running.reset();
            ShowStatus(operation, StatusLine(operation.clock(), operation.Texts.DevLanguage.LogChipEraseCommError));
            ShowProgressFailure(operation, "ERROR");
            return OperationOutcome::Failed;
        }
        const uint32_t elapsed = ElapsedSince(operation, running->startTick);
        if (elapsed >= running->limitMs) {
            const std::string seconds = std::to_string(running->limitMs / 1000);
            running.reset();
            ShowStatus(operation, StatusLine(operation.clock(), Text(language, TextId::RunningEraseDidNotEnd, {seconds})));
            ShowProgressFailure(operation, "ERROR");
            return OperationOutcome::Failed;
        }
        if (!shown) {
            ShowStatus(operation, StatusLine(operation.clock(), Text(language, TextId::WaitingForRunningErase)));
            ProgressView& progress = *operation.Views.progress;
            progress.SetState(ProgressState::Normal);
            progress.SetLabelColour(LabelColour::WindowText);
            // How long the chip takes is not known here: a busy bar, and the
            // seconds the erase has run so far beside it.
            progress.SetMaximum(0);
            progress.SetPosition(0);
        }
        operation.Views.progress->SetLabelText(FormatSeconds(elapsed) + "s");
        if (WaitUnlessStopped(operation, kPollWait10us)) {
            TakeStopRequest(operation);
            ShowStatus(operation, StatusLine(operation.clock(), Text(language, TextId::RunningEraseWaitStopped)));
            ShowProgressStopped(operation);
            return OperationOutcome::Stopped;
        }
    }
}

bool RequestStop(OperationContext& operation) {
    if (!operation.Busy.Running) return false;
    operation.Busy.StopRequest = 1;
    return true;
}

}  // namespace tq
