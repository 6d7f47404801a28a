#include "core/operations/hardware_info.h"

#include "core/app/language.h"
#include "core/session.h"

namespace tq {

std::optional<HardInfoTexts> MenuHardInfoClick(Session& session) {
    if (!RequireConnected(session)) return std::nullopt;
    const Dev_Inf_Struct& device = session.DevInf;
    const LanguageFile file(session);
    auto text = [&](const char* key) { return file.Text("HardInfo", key); };
    HardInfoTexts info;
    info.title = text("HardInfoTitle");
    info.hardwareVersion = {text("HardVersion"), device.HwVersion};
    info.firmwareVersion = {text("SoftWareVersion"), device.FwVersion};
    info.serialNumber = {text("DevSN"), device.SerialNo};
    info.deviceName = {text("DevName"), device.Model};
    return info;
}

OperationOutcome MenuSelfCheckClick(Session& session) {
    OperationScope scope(session);
    if (!scope.claimed()) return OperationOutcome::Busy;
    if (!RequireConnected(session)) return OperationOutcome::NotConnected;
    const int language = session.DevInf.Language;
    ProgressView& progress = *session.Views.progress;
    progress.SetLabelText("");
    progress.SetState(ProgressState::Normal);
    progress.SetMaximum(100);
    ShowStatus(session, Triplet(language, "设备正在自检...", "設備正在自檢...", "Device self-testing..."));
    for (uint32_t i = 0; i < 100; ++i) {
        progress.SetPosition(i);
        session.clock().Wait10us(3000);
    }
    ShowStatus(session, Triplet(language, "自检完成，设备正常", "自檢完成，設備正常.", "Device self-test success."));
    return OperationOutcome::Succeeded;
}

}  // namespace tq
