#include "core/firmware/firmware_update.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/base/number_text.h"
#include "core/device/commands.h"
#include "core/device/frame.h"
#include "core/firmware/firmware_package.h"
#include "core/operations/operation_context.h"
#include "core/operations/operation_display.h"
#include "core/texts/status_line.h"
#include "core/texts/text_catalogue.h"

namespace tq {

namespace {
constexpr uint32_t kBlockSize = 256;

// Drive waits of the dialog, in units of 10 us, and how often the drive is
// looked for before the programmer counts as lost.
constexpr uint32_t kLeavePause = 50000;     // 500 ms between checks for a drive that should go
constexpr int kLeaveChecks = 51;
constexpr uint32_t kReturnPause = 20000;    // 200 ms between checks for a drive that should return
constexpr int kReturnChecks = 101;
constexpr uint32_t kBootStartWait = 200000;  // 2 s for the boot loader to start
constexpr uint32_t kOneSecond = 100000;
constexpr uint32_t kReconnectWait = 300000;  // 3 s

std::string FirmwareText(const OperationContext& context, TextId id, std::initializer_list<std::string_view> values = {}) {
    return Text(context.Texts.Language, id, values);
}

std::string BurnDoneText(OperationContext& context, uint32_t startTick) {
    return FirmwareText(context, TextId::FirmwareBurnDone, {FormatSeconds(ElapsedSince(context, startTick))});
}

std::string ImageFolder(const OperationContext& context) { return (context.Texts.ProgramFolder / "iap").string(); }

// The file name after the last separator, at most 64 bytes (cut on a
// character boundary).
std::string DisplayName(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (name.size() > 64) {
        size_t end = 64;
        while (end > 0 && (static_cast<uint8_t>(name[end]) & 0xC0) == 0x80) --end;
        name.resize(end);
    }
    return name;
}

// Asks before the first frame of an update goes out; a No says where the
// update reports (status panel 0, or the update dialog's log) that nothing
// was changed.
bool AskBeforeUpdate(OperationContext& context, const std::string& path, const std::string& version) {
    return context.Views.messages->AskYesNo(FirmwareQuestion(context, path, version));
}
bool ConfirmUpdate(OperationContext& context, StatusBarView& status, const std::string& path, const std::string& version) {
    if (AskBeforeUpdate(context, path, version)) return true;
    status.SetPanelText(0, FirmwareText(context, TextId::FirmwareUpdateDeclined));
    return false;
}
bool ConfirmUpdate(OperationContext& context, UpdateDialogView& log, const std::string& path, const std::string& version) {
    if (AskBeforeUpdate(context, path, version)) return true;
    log.AddLogLine(FirmwareText(context, TextId::FirmwareUpdateDeclined));
    return false;
}

// The boot command; an unanswered one says so in status panel 0.
void SendBootCommand(OperationContext& context, StatusBarView& status) {
    if (EnterBoot(context.Device.Link) != CommandResult::Ok)
        status.SetPanelText(0, FirmwareText(context, TextId::FirmwareBlockFailed));
}

// The poll timer is switched off for an update and on again however the
// update ends.
class PollTimerPause {
public:
    explicit PollTimerPause(OperationContext& context) : context_(context) {}
    ~PollTimerPause() {
        if (paused_) context_.Device.PollEnabled = true;
    }
    PollTimerPause(const PollTimerPause&) = delete;
    PollTimerPause& operator=(const PollTimerPause&) = delete;
    void Pause() {
        context_.Device.PollEnabled = false;
        paused_ = true;
    }

private:
    OperationContext& context_;
    bool paused_ = false;
};

void ShowOnlineVersion(OperationContext& context, StatusBarView& status) {
    status.SetPanelText(2, OnlineStatusText(context.Texts, context.Device.DevInf.FwVersion));
}

void SendIapDone(DeviceLink& link) {
    StartFrame(link, CMD_IAP_DONE, 0);
    link.DeviceExchange(FinishFrame(link));
}

// Sends the sealed block in the send area until it is answered. A missing
// answer drops the link (the transport resets it), which ends the retries.
bool SendImageBlock(DeviceLink& link, StatusBarView& status, uint16_t frameLength, const std::string& failedText) {
    for (;;) {
        if (!link.Uart.Connected) return false;
        link.DeviceExchange(frameLength);
        if (CheckResponse(link) == 0) return true;
        status.SetPanelText(0, failedText);
    }
}

// DownloadImage with the failure text handed back for the dialog's log.
int SendImage(OperationContext& context, FirmwareUpdateViews views, uint32_t offset, uint32_t length,
              const std::string& path, std::string& failure) {
    DeviceLink& link = context.Device.Link;
    StatusBarView& status = views.status;
    UpdateDialogView& dialog = views.dialog;
    const std::string verifyFailed = FirmwareText(context, TextId::FirmwareImageCheckFailed);
    const std::string blockFailed = FirmwareText(context, TextId::FirmwareBlockFailed);
    auto fail = [&](const std::string& text) {
        status.SetPanelText(0, text);
        failure = text;
        return 0xFF;
    };
    std::vector<uint8_t> image;
    if (!ReadPackageBytes(path, offset, length, image))
        return fail(FirmwareText(context, TextId::FirmwarePackageUnreadable, {path}));
    ImageDigest digest;
    if (!digest.ok()) return fail(verifyFailed);

    const uint32_t maximum = length;
    uint32_t position = 0;
    uint32_t address = 0;
    uint32_t count = 0;
    dialog.SetBarMaximum(maximum);
    dialog.SetBarPosition(0);
    for (uint32_t done = 0; done < length; done += kBlockSize) {
        uint8_t* p = StartFrame(link, CMD_IAP_DATA, static_cast<uint16_t>(6 + kBlockSize));
        PutBe32(p, address);
        PutBe16(p + 4, kBlockSize);
        // The last block is padded with 0xFF; the digest covers the padding.
        const uint32_t part = std::min(kBlockSize, length - done);
        std::memcpy(p + 6, image.data() + done, part);
        std::memset(p + 6 + part, 0xFF, kBlockSize - part);
        digest.Update(p + 6, kBlockSize);
        count += kBlockSize;
        address += kBlockSize;
        const uint16_t frameLength = FinishFrame(link);
        if (!SendImageBlock(link, status, frameLength, blockFailed)) return fail(verifyFailed);
        position = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(position) + frameLength, maximum));
        dialog.SetBarPosition(position);
        status.SetPanelText(0, std::to_string(position) + "/" + std::to_string(maximum) + "=>" +
                                   std::to_string(static_cast<uint64_t>(position) * 100 / maximum) + "%");
        link.Wait10us(10);
    }
    dialog.SetBarPosition(maximum);
    const std::array<uint8_t, 16> md5 = digest.Final();
    if (!digest.ok()) return fail(verifyFailed);

    uint8_t* p = StartFrame(link, CMD_IAP_VERIFY, static_cast<uint16_t>(4 + md5.size()));
    PutBe32(p, count);
    std::memcpy(p + 4, md5.data(), md5.size());
    link.DeviceExchange(FinishFrame(link));
    if (CheckResponse(link) != 0 || link.ReceiveArea()[1] != 0) return fail(verifyFailed);
    status.SetPanelText(0, FirmwareText(context, TextId::FirmwareImageDownloaded));
    SendIapDone(link);
    return 0;
}

// Looks for the drive up to `checks` times until its presence equals
// `present`, calling beforeWait and waiting `pause` between checks.
bool WaitForDrive(DeviceLink& link, bool present, int checks, uint32_t pause,
                  const std::function<void()>& beforeWait = {}) {
    for (int i = 0; i < checks; ++i) {
        if (link.FindDeviceDrive() == present) return true;
        if (beforeWait) beforeWait();
        link.Wait10us(pause);
    }
    return false;
}

// The newest "*.iap" in the folder for the model: its name starts with the
// model's platform code and carries six version digits at characters 6 to 11.
std::string NewestImageFor(const OperationContext& context, const std::string& folder, UpdateDialogView& dialog) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".iap") names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    const std::string platform = PlatformCode(context.Device.DevInf.Model);
    std::string best;
    unsigned long bestNumber = 0;
    for (const std::string& name : names) {
        if (name.substr(0, 4) != platform) continue;
        dialog.AddLogLine(name);
        const std::string digits = ImageNameVersion(name);
        if (digits.empty()) {
            dialog.AddLogLine(FirmwareText(context, TextId::FirmwareImageVersionInvalid, {name}));
            continue;
        }
        const unsigned long number = std::stoul(digits);
        if (number > bestNumber) {
            bestNumber = number;
            best = name;
        }
    }
    return best;
}

// The main window's update with the package `choosePackage` names (empty:
// none), asked for once the programmer is known to be connected.
FirmwareUpdateResult UpdateFirmwareWith(OperationContext& context, FirmwareUpdateViews views,
                                        const std::function<std::string()>& choosePackage) {
    OperationScope scope(context);
    if (!scope.claimed()) return FirmwareUpdateResult::Busy;
    DeviceLink& link = context.Device.Link;
    StatusBarView& status = views.status;
    if (!RequireConnected(context)) return FirmwareUpdateResult::NotConnected;
    const std::string path = choosePackage();
    if (path.empty()) return FirmwareUpdateResult::Cancelled;

    PollTimerPause timer(context);
    timer.Pause();
    const uint32_t startTick = context.clock().TickCount();

    // Finds an entry; a lookup failure has been shown when this is false.
    FirmwareUpdateResult failure = FirmwareUpdateResult::PackageError;
    auto locate = [&](const char* name, uint32_t& offset, uint32_t& length) {
        const PackageStatus found = LocatePackageEntry(path, name, offset, length);
        if (found == PackageStatus::Found) return true;
        if (found == PackageStatus::Unreadable) {
            status.SetPanelText(0, FirmwareText(context, TextId::FirmwarePackageUnreadable, {path}));
            failure = FirmwareUpdateResult::PackageUnreadable;
        } else {
            status.SetPanelText(0, FirmwareText(context, TextId::FirmwarePackageMalformed));
            failure = FirmwareUpdateResult::PackageError;
        }
        return false;
    };

    uint32_t offset = 0;
    uint32_t length = 0;
    if (!locate(kVersionEntryName, offset, length)) return failure;
    std::vector<uint8_t> record;
    if (!ReadPackageBytes(path, offset, std::min<uint32_t>(length, kVersionRecordSize), record)) {
        status.SetPanelText(0, FirmwareText(context, TextId::FirmwarePackageUnreadable, {path}));
        return FirmwareUpdateResult::PackageUnreadable;
    }
    const PackageVersion packageVersion = ParseVersionRecord(record);
    if (!IsPackageForThisProgrammer(packageVersion)) {
        status.SetPanelText(0, FirmwareText(context, TextId::FirmwarePackageMalformed));
        return FirmwareUpdateResult::PackageError;
    }
    if (!ConfirmUpdate(context, views.status, path, packageVersion.ver)) return FirmwareUpdateResult::Declined;
    context.Views.progress->SetMaximum(100);
    context.Views.progress->SetPosition(0);

    SendBootCommand(context, status);  // the update goes on after an unanswered boot command
    if (!locate(kImageEntryName, offset, length)) return failure;
    status.SetPanelText(0, FirmwareText(context, TextId::FirmwareDownloading));
    const bool downloaded = DownloadImage(context, views, offset, length, path) == 0;
    if (downloaded) status.SetPanelText(0, BurnDoneText(context, startTick));

    std::string version;
    if (GetFwVersion(link, version) != CommandResult::Ok)
        return downloaded ? FirmwareUpdateResult::NoAnswer : FirmwareUpdateResult::DownloadFailed;
    context.Device.DevInf.FwVersion = version;
    ShowOnlineVersion(context, status);
    return downloaded ? FirmwareUpdateResult::Updated : FirmwareUpdateResult::DownloadFailed;
}
}  // namespace

std::string FirmwareQuestion(const OperationContext& context, const std::string& path, const std::string& version) {
    const std::string& model = context.Device.DevInf.Model;
    return FirmwareText(context, TextId::FirmwareConfirmUpdate,
                        {DisplayName(path), model.empty() ? kPackageModel : model,
                         version.empty() ? FirmwareText(context, TextId::FirmwareVersionUnknown) : version});
}

std::string ImageNameVersion(const std::string& path) {
    const std::string name = DisplayName(path);
    const std::string digits = name.size() >= 11 ? name.substr(5, 6) : std::string();
    const bool valid = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    return valid ? digits : std::string();
}

int DownloadImage(OperationContext& context, FirmwareUpdateViews views, uint32_t offset, uint32_t length,
                  const std::string& path) {
    std::string failure;
    return SendImage(context, views, offset, length, path, failure);
}

FirmwareUpdateResult UpdateFirmware(OperationContext& context, FirmwareUpdateViews views, const std::string& package) {
    return UpdateFirmwareWith(context, views, [&package] { return package; });
}

FirmwareUpdateResult ChooseAndUpdateFirmware(OperationContext& context, FirmwareUpdateViews views,
                                             FileDialogView& files) {
    return UpdateFirmwareWith(context, views, [&] {
        return files.ChooseOpenFile(FirmwareText(context, TextId::FirmwareChoosePackage), {{"TQMV File", "*.tqmv"}},
                                    ImageFolder(context), "");
    });
}

FirmwareUpdateResult UpdateFirmwareFromFolder(OperationContext& context, FirmwareUpdateViews views, bool bootReady,
                                              FileDialogView& files) {
    OperationScope scope(context);
    if (!scope.claimed()) return FirmwareUpdateResult::Busy;
    UpdateDialogView& dialog = views.dialog;
    dialog.ClearLog();
    const uint32_t startTick = context.clock().TickCount();
    const std::string folder = ImageFolder(context);
    std::string path;
    if (context.Device.DevInf.FwVersion.substr(0, 4) == "BOOT" || bootReady) {
        path = files.ChooseOpenFile(FirmwareText(context, TextId::FirmwareChooseImage), {{"Iap File", "*.iap"}},
                                    folder, "0");
        if (path.empty()) return FirmwareUpdateResult::Cancelled;
    } else {
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwareImageList));
        const std::string name = NewestImageFor(context, folder, dialog);
        if (name.empty()) {
            dialog.AddLogLine(FirmwareText(context, TextId::FirmwareNoImage));
            return FirmwareUpdateResult::PackageError;
        }
        path = (std::filesystem::path(folder) / name).string();
    }
    return RunBootModeUpdate(context, views, path, bootReady, startTick);
}

FirmwareUpdateResult RunBootModeUpdate(OperationContext& context, FirmwareUpdateViews views, const std::string& path,
                                       bool bootReady, uint32_t startTick) {
    DeviceLink& link = context.Device.Link;
    UpdateDialogView& dialog = views.dialog;
    const std::string name = DisplayName(path);
    dialog.AddLogLine(FirmwareText(context, TextId::FirmwarePreparing, {name}));
    dialog.SetBarMaximum(100);
    dialog.SetBarPosition(0);

    // The package is checked before anything is sent, so a bad one never
    // leaves the programmer waiting in its boot loader.
    uint32_t offset = 0;
    uint32_t length = 0;
    const PackageStatus found = LocatePackageEntry(path, kImageEntryName, offset, length);
    if (found == PackageStatus::Unreadable) {
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwarePackageUnreadable, {path}));
        return FirmwareUpdateResult::PackageUnreadable;
    }
    if (found == PackageStatus::NotFound) {
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwareImageMalformed));
        return FirmwareUpdateResult::PackageError;
    }

    if (!ConfirmUpdate(context, views.dialog, path, ImageNameVersion(path))) return FirmwareUpdateResult::Declined;

    PollTimerPause timer(context);
    auto timeout = [&] {
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwareRetry));
        return FirmwareUpdateResult::Timeout;
    };
    std::string version;
    if (!bootReady) {
        SendBootCommand(context, views.status);
        timer.Pause();
        // The programmer leaves and comes back as its boot loader.
        if (!WaitForDrive(link, false, kLeaveChecks, kLeavePause)) return timeout();
        link.DeviceReset();
        const std::string starting = FirmwareText(context, TextId::FirmwareBootStarting);
        dialog.AddLogLine(starting);
        link.Wait10us(kBootStartWait);
        if (!WaitForDrive(link, true, kReturnChecks, kReturnPause, [&] { dialog.AddLogLine(starting); }))
            return timeout();
        link.Uart.Connected = 1;
        if (GetFwVersion(link, version) != CommandResult::Ok) {
            link.DeviceReset();
            return FirmwareUpdateResult::NoAnswer;
        }
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwareInBootMode));
    }

    dialog.AddLogLine(FirmwareText(context, TextId::FirmwareImageDownloading, {name}));
    std::string failure;
    if (SendImage(context, views, offset, length, path, failure) != 0) {
        // A failed or rejected image is never followed by the success line.
        dialog.AddLogLine(failure);
        dialog.AddLogLine(FirmwareText(context, TextId::FirmwareRetry));
        return FirmwareUpdateResult::DownloadFailed;
    }
    dialog.AddLogLine(BurnDoneText(context, startTick));

    // The programmer restarts into its new firmware: it leaves and returns.
    dialog.AddLogLine(FirmwareText(context, TextId::FirmwareAwaitRestart));
    link.Wait10us(kOneSecond);
    if (!WaitForDrive(link, false, kLeaveChecks, kLeavePause)) return timeout();
    link.DeviceReset();
    link.Wait10us(kOneSecond);
    dialog.AddLogLine(FirmwareText(context, TextId::FirmwareAwaitReconnect));
    link.Wait10us(kReconnectWait);
    if (!WaitForDrive(link, true, kReturnChecks, kReturnPause)) return timeout();

    link.Uart.Connected = 1;
    if (GetFwVersion(link, version) != CommandResult::Ok) return FirmwareUpdateResult::NoAnswer;
    context.Device.DevInf.FwVersion = version;
    SendIapDone(link);
    dialog.AddLogLine(FirmwareText(context, TextId::FirmwareUpdateComplete));
    link.Wait10us(kReconnectWait);
    ShowOnlineVersion(context, views.status);
    dialog.CloseDialog();
    return FirmwareUpdateResult::Updated;
}

}  // namespace tq
