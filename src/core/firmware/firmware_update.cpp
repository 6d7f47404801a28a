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

namespace tq {

namespace {
constexpr uint32_t kBlockSize = 256;
constexpr const char* kVerifyFailed = "IAP校验错误";
constexpr const char* kUpdateFailedRetry = "更新异常，请重试！";

// Drive waits of the dialog, in units of 10 us, and how often the drive is
// looked for before the programmer counts as lost.
constexpr uint32_t kLeavePause = 50000;     // 500 ms between checks for a drive that should go
constexpr int kLeaveChecks = 51;
constexpr uint32_t kReturnPause = 20000;    // 200 ms between checks for a drive that should return
constexpr int kReturnChecks = 101;
constexpr uint32_t kBootStartWait = 200000;  // 2 s for the boot loader to start
constexpr uint32_t kOneSecond = 100000;
constexpr uint32_t kReconnectWait = 300000;  // 3 s

std::string FormatErrorText(int language) {
    return Triplet(language, "TQMV升级文件格式异常，请确认！", "TQMV升級文件格式異常，請確認！",
                      "Error happened when parsed the TQMV file,plese checked!");
}

std::string UnreadablePackageText(int language, const std::string& path) {
    return Triplet(language, "无法读取升级文件：", "無法讀取升級文件：", "Cannot read the update file: ") + path;
}


std::string BurnDoneText(OperationContext& context, uint32_t startTick) {
    return "系统烧写完成，共耗时" + FormatSeconds(ElapsedSince(context, startTick)) + "s";
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

// The boot command; an unanswered one shows "下载失败" in status panel 0.
void SendBootCommand(DeviceLink& link, StatusBarView& status) {
    if (EnterBoot(link) != CommandResult::Ok) status.SetPanelText(0, "下载失败");
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

void ShowOnlineVersion(OperationContext& context) {
    context.Views.statusBar->SetPanelText(
        2, context.Texts.DevLanguage.DevConStaOnline + context.Texts.DevLanguage.DevConVersion + context.Device.DevInf.FwVersion);
}

void SendIapDone(DeviceLink& link) {
    StartFrame(link, CMD_IAP_DONE, 0);
    link.DeviceExchange(FinishFrame(link));
}

// Sends the sealed block in the send area until it is answered. A missing
// answer drops the link (the transport resets it), which ends the retries.
bool SendImageBlock(DeviceLink& link, StatusBarView& status, uint16_t frameLength) {
    for (;;) {
        if (!link.Uart.Connected) return false;
        link.DeviceExchange(frameLength);
        if (CheckResponse(link) == 0) return true;
        status.SetPanelText(0, "下载失败");
    }
}

// DownloadImage with the failure text handed back for the dialog's log.
int SendImage(OperationContext& context, UpdateDialogView& dialog, uint32_t offset, uint32_t length, const std::string& path,
              std::string& failure) {
    DeviceLink& link = context.Device.Link;
    StatusBarView& status = *context.Views.statusBar;
    auto fail = [&](const std::string& text) {
        status.SetPanelText(0, text);
        failure = text;
        return 0xFF;
    };
    std::vector<uint8_t> image;
    if (!ReadPackageBytes(path, offset, length, image))
        return fail(UnreadablePackageText(context.Texts.Language, path));
    ImageDigest digest;
    if (!digest.ok()) return fail(kVerifyFailed);

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
        if (!SendImageBlock(link, status, frameLength)) return fail(kVerifyFailed);
        position = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(position) + frameLength, maximum));
        dialog.SetBarPosition(position);
        status.SetPanelText(0, std::to_string(position) + "/" + std::to_string(maximum) + "=>" +
                                   std::to_string(static_cast<uint64_t>(position) * 100 / maximum) + "%");
        link.Wait10us(10);
    }
    dialog.SetBarPosition(maximum);
    const std::array<uint8_t, 16> md5 = digest.Final();
    if (!digest.ok()) return fail(kVerifyFailed);

    uint8_t* p = StartFrame(link, CMD_IAP_VERIFY, static_cast<uint16_t>(4 + md5.size()));
    PutBe32(p, count);
    std::memcpy(p + 4, md5.data(), md5.size());
    link.DeviceExchange(FinishFrame(link));
    if (CheckResponse(link) != 0 || link.ReceiveArea()[1] != 0) return fail(kVerifyFailed);
    status.SetPanelText(0, "IAP下载成功");
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
std::string NewestImageFor(const std::string& model, const std::string& folder, UpdateDialogView& dialog) {
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
    const std::string platform = PlatformCode(model);
    std::string best;
    unsigned long bestNumber = 0;
    for (const std::string& name : names) {
        if (name.substr(0, 4) != platform) continue;
        dialog.AddLogLine(name);
        const std::string digits = name.size() >= 11 ? name.substr(5, 6) : std::string();
        if (digits.size() != 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            dialog.AddLogLine("文件名中的版本号无效，跳过：" + name);
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
}  // namespace

int DownloadImage(OperationContext& context, UpdateDialogView& dialog, uint32_t offset, uint32_t length,
                  const std::string& path) {
    std::string failure;
    return SendImage(context, dialog, offset, length, path, failure);
}

FirmwareUpdateResult MenuFirmUpdateClick(OperationContext& context, UpdateDialogView& dialog) {
    OperationScope scope(context);
    if (!scope.claimed()) return FirmwareUpdateResult::Busy;
    DeviceLink& link = context.Device.Link;
    StatusBarView& status = *context.Views.statusBar;
    const int language = context.Texts.Language;
    if (!RequireConnected(context)) return FirmwareUpdateResult::NotConnected;
    const std::string path = context.Views.fileDialog->ChooseOpenFile(
        Triplet(language, "请选择您的升级文件", "請選擇系統升級包", "Please Select the Update File"),
        {{"TQMV File", "*.tqmv"}}, ImageFolder(context), "");
    if (path.empty()) return FirmwareUpdateResult::Cancelled;

    context.Views.progress->SetMaximum(100);
    context.Views.progress->SetPosition(0);
    PollTimerPause timer(context);
    timer.Pause();
    const uint32_t startTick = context.clock().TickCount();

    // Finds an entry; a lookup failure has been shown when this is false.
    FirmwareUpdateResult failure = FirmwareUpdateResult::PackageError;
    auto locate = [&](const char* name, uint32_t& offset, uint32_t& length) {
        const PackageStatus found = LocatePackageEntry(path, name, offset, length);
        if (found == PackageStatus::Found) return true;
        if (found == PackageStatus::Unreadable) {
            status.SetPanelText(0, UnreadablePackageText(language, path));
            failure = FirmwareUpdateResult::PackageUnreadable;
        } else {
            status.SetPanelText(0, FormatErrorText(language));
            failure = FirmwareUpdateResult::PackageError;
        }
        return false;
    };

    uint32_t offset = 0;
    uint32_t length = 0;
    if (!locate(kVersionEntryName, offset, length)) return failure;
    std::vector<uint8_t> record;
    if (!ReadPackageBytes(path, offset, std::min<uint32_t>(length, kVersionRecordSize), record)) {
        status.SetPanelText(0, UnreadablePackageText(language, path));
        return FirmwareUpdateResult::PackageUnreadable;
    }
    if (!IsPackageForThisProgrammer(ParseVersionRecord(record))) {
        status.SetPanelText(0, FormatErrorText(language));
        return FirmwareUpdateResult::PackageError;
    }

    SendBootCommand(link, status);  // the update goes on after an unanswered boot command
    if (!locate(kImageEntryName, offset, length)) return failure;
    status.SetPanelText(0, Triplet(language, "系统包下载中，请稍等...", "系統包下載中，請稍等...",
                                      "Waiting for the Update File Downloding..."));
    const bool downloaded = DownloadImage(context, dialog, offset, length, path) == 0;
    if (downloaded) status.SetPanelText(0, BurnDoneText(context, startTick));

    std::string version;
    if (GetFwVersion(link, version) != CommandResult::Ok)
        return downloaded ? FirmwareUpdateResult::NoAnswer : FirmwareUpdateResult::DownloadFailed;
    context.Device.DevInf.FwVersion = version;
    ShowOnlineVersion(context);
    return downloaded ? FirmwareUpdateResult::Updated : FirmwareUpdateResult::DownloadFailed;
}

FirmwareUpdateResult btnStartIAPClick(OperationContext& context, UpdateDialogView& dialog, bool bootReady) {
    OperationScope scope(context);
    if (!scope.claimed()) return FirmwareUpdateResult::Busy;
    dialog.ClearLog();
    const uint32_t startTick = context.clock().TickCount();
    const std::string folder = ImageFolder(context);
    std::string path;
    if (context.Device.DevInf.FwVersion.substr(0, 4) == "BOOT" || bootReady) {
        path = context.Views.fileDialog->ChooseOpenFile(
            "请手动选择您要升级的固件包,务必选择正确的升级包，否则可能出现不可逆的损坏.", {{"Iap File", "*.iap"}},
            folder, "0");
        if (path.empty()) return FirmwareUpdateResult::Cancelled;
    } else {
        dialog.AddLogLine("IAP File List:");
        const std::string name = NewestImageFor(context.Device.DevInf.Model, folder, dialog);
        if (name.empty()) {
            dialog.AddLogLine("IAP文件夹下，没有找到升级文件包，请确认！");
            return FirmwareUpdateResult::PackageError;
        }
        path = (std::filesystem::path(folder) / name).string();
    }
    return RunBootModeUpdate(context, dialog, path, bootReady, startTick);
}

FirmwareUpdateResult RunBootModeUpdate(OperationContext& context, UpdateDialogView& dialog, const std::string& path,
                                       bool bootReady, uint32_t startTick) {
    DeviceLink& link = context.Device.Link;
    const std::string name = DisplayName(path);
    dialog.AddLogLine("File：" + name + ",更新准备中，请稍等...");
    dialog.SetBarMaximum(100);
    dialog.SetBarPosition(0);

    // The package is checked before anything is sent, so a bad one never
    // leaves the programmer waiting in its boot loader.
    uint32_t offset = 0;
    uint32_t length = 0;
    const PackageStatus found = LocatePackageEntry(path, kImageEntryName, offset, length);
    if (found == PackageStatus::Unreadable) {
        dialog.AddLogLine(UnreadablePackageText(0, path));
        return FirmwareUpdateResult::PackageUnreadable;
    }
    if (found == PackageStatus::NotFound) {
        dialog.AddLogLine("IAP文件格式异常，请确认！");
        return FirmwareUpdateResult::PackageError;
    }

    PollTimerPause timer(context);
    auto timeout = [&] {
        dialog.AddLogLine(kUpdateFailedRetry);
        return FirmwareUpdateResult::Timeout;
    };
    std::string version;
    if (!bootReady) {
        SendBootCommand(link, *context.Views.statusBar);
        timer.Pause();
        // The programmer leaves and comes back as its boot loader.
        if (!WaitForDrive(link, false, kLeaveChecks, kLeavePause)) return timeout();
        link.DeviceReset();
        dialog.AddLogLine("Boot程序启动中，请稍等...");
        link.Wait10us(kBootStartWait);
        if (!WaitForDrive(link, true, kReturnChecks, kReturnPause,
                          [&] { dialog.AddLogLine("Boot程序启动中，请稍等..."); }))
            return timeout();
        link.Uart.Connected = 1;
        if (GetFwVersion(link, version) != CommandResult::Ok) {
            link.DeviceReset();
            return FirmwareUpdateResult::NoAnswer;
        }
        dialog.AddLogLine("已进入Boot模式！");
    }

    dialog.AddLogLine("File：" + name + ",系统包下载中，请稍等...");
    std::string failure;
    if (SendImage(context, dialog, offset, length, path, failure) != 0) {
        // A failed or rejected image is never followed by the success line.
        dialog.AddLogLine(failure);
        dialog.AddLogLine(kUpdateFailedRetry);
        return FirmwareUpdateResult::DownloadFailed;
    }
    dialog.AddLogLine(BurnDoneText(context, startTick));

    // The programmer restarts into its new firmware: it leaves and returns.
    dialog.AddLogLine("等待系统重启中，请稍等.");
    link.Wait10us(kOneSecond);
    if (!WaitForDrive(link, false, kLeaveChecks, kLeavePause)) return timeout();
    link.DeviceReset();
    link.Wait10us(kOneSecond);
    dialog.AddLogLine("等待系统重连中，请稍等.");
    link.Wait10us(kReconnectWait);
    if (!WaitForDrive(link, true, kReturnChecks, kReturnPause)) return timeout();

    link.Uart.Connected = 1;
    if (GetFwVersion(link, version) != CommandResult::Ok) return FirmwareUpdateResult::NoAnswer;
    context.Device.DevInf.FwVersion = version;
    SendIapDone(link);
    dialog.AddLogLine("更新完成，即将关闭更新页面，进入主界面.");
    link.Wait10us(kReconnectWait);
    ShowOnlineVersion(context);
    dialog.CloseDialog();
    return FirmwareUpdateResult::Updated;
}

}  // namespace tq
