#include "core/operations/hardware_info.h"

#include <string>

#include "core/texts/text_catalogue.h"
#include "core/device/commands.h"
#include "core/texts/language.h"
#include "core/operations/operation_context.h"

namespace tq {

std::optional<HardInfoTexts> ReadHardwareInfo(OperationContext& operation) {
    if (!RequireConnected(operation)) return std::nullopt;
    const Dev_Inf_Struct& device = operation.Device.DevInf;
    const LanguageFile file(operation.Texts);
    auto text = [&](const char* key) { return file.Text("HardInfo", key); };
    HardInfoTexts info;
    info.title = text("HardInfoTitle");
    info.hardwareVersion = {text("HardVersion"), device.HwVersion};
    info.firmwareVersion = {text("SoftWareVersion"), device.FwVersion};
    info.serialNumber = {text("DevSN"), device.SerialNo};
    info.deviceName = {text("DevName"), device.Model};
    return info;
}

OperationOutcome RunSelfCheck(OperationContext& operation) {
    OperationScope scope(operation);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(operation)) return OperationOutcome::NotConnected;
    const int language = operation.Texts.Language;
    ProgressView& progress = *operation.Views.progress;
    progress.SetLabelText("");
    progress.SetState(ProgressState::Normal);
    progress.SetMaximum(100);
    ShowStatus(operation, Text(language, TextId::SelfCheckRunning));
    for (uint32_t i = 0; i < 100; ++i) {
        progress.SetPosition(i);
        operation.clock().Wait10us(3000);
    }
    // The programmer must answer before the check can say it is well.
    std::string version;
    if (GetFwVersion(operation.Device.Link, version) != CommandResult::Ok) {
        ShowStatus(operation, Text(language, TextId::SelfCheckNoAnswer));
        ShowProgressFailure(operation, "ERROR");
        return OperationOutcome::Failed;
    }
    ShowStatus(operation, Text(language, TextId::SelfCheckPassed));
    return OperationOutcome::Succeeded;
}

}  // namespace tq
