#include "core/operations/operation_display.h"

#include <algorithm>
#include <cstdio>

#include "core/texts/text_catalogue.h"
#include "core/base/number_text.h"
#include "core/device/commands.h"
#include "core/operations/operation_context.h"

namespace tq {

OperationScope::OperationScope(OperationContext& operation)
    : operation_(operation), claimed_(!operation.Busy.Running.exchange(true)) {}

OperationScope::~OperationScope() {
    if (!claimed_) return;
    operation_.Busy.StopRequest = 0;
    operation_.Busy.Running = false;
}

uint32_t ElapsedSince(OperationContext& operation, uint32_t startTick) { return operation.clock().TickCount() - startTick; }

std::string TimedStatusLine(OperationContext& operation, const std::string& text, uint32_t milliseconds) {
    return StatusLine(operation.clock(), text + FormatSeconds(milliseconds) + operation.Texts.DevLanguage.LogOperatTime);
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
}

void ShowProgress(OperationContext& operation, uint32_t position, uint32_t maximum) {
    const uint32_t shown = std::min(position, maximum);
    operation.Views.progress->SetPosition(shown);
    const uint64_t percent = maximum == 0 ? 100 : static_cast<uint64_t>(shown) * 100 / maximum;
    operation.Views.progress->SetLabelText(std::to_string(percent) + "%");
}

void ShowProgressFailure(OperationContext& operation, const std::string& label) {
    ProgressView& progress = *operation.Views.progress;
    progress.SetState(ProgressState::Error);
    progress.SetLabelColour(LabelColour::Red);
    progress.SetLabelText(label);
}

bool RequestStop(OperationContext& operation) {
    if (!operation.Busy.Running) return false;
    operation.Busy.StopRequest = 1;
    return true;
}

}  // namespace tq
