// Firmware update: switch the programmer into its boot mode, send the
// package's image in 256-byte blocks (0xF1), let the programmer check byte
// count and MD5 (0xF3), end the update (0xF2) and read the new version.
// Two ways: from a package while the programmer runs its firmware, and the
// update dialog's, which also waits for the programmer to re-enumerate.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct OperationContext;
class FileDialogView;
class StatusBarView;

// The update dialog's log memo (memUpdateLog) and progress bar (pbIAPProBar).
class UpdateDialogView {
public:
    virtual ~UpdateDialogView() = default;
    virtual void ClearLog() = 0;
    virtual void AddLogLine(const std::string& line) = 0;
    virtual void SetBarMaximum(uint32_t maximum) = 0;
    virtual void SetBarPosition(uint32_t position) = 0;
    virtual void CloseDialog() = 0;
};

class NullUpdateDialogView final : public UpdateDialogView {
public:
    void ClearLog() override {}
    void AddLogLine(const std::string&) override {}
    void SetBarMaximum(uint32_t) override {}
    void SetBarPosition(uint32_t) override {}
    void CloseDialog() override {}
};

enum class FirmwareUpdateResult {
    Updated,            // image accepted and the new version read
    NotConnected,       // no programmer: the warning box was shown
    Cancelled,          // no package chosen
    PackageError,       // not a package for this programmer (format error)
    PackageUnreadable,  // the package could not be opened or read
    DownloadFailed,     // a block or the check went unanswered, or the image was rejected
    NoAnswer,           // the programmer did not answer the version query
    Timeout,            // the programmer did not leave or come back in time
    Busy,               // another operation, download or update holds the session: nothing done
    Declined,           // the person answered No to the question before the update: nothing sent
};

// The question asked before anything is sent: the package's file name, the
// programmer's model, the version the package carries (or "unknown") and
// "do not unplug the programmer".
std::string FirmwareQuestion(const OperationContext& context, const std::string& path, const std::string& version);

// The version an update image's file name carries: the six digits after the
// platform code ("M500_010203.iap"), or empty.
std::string ImageNameVersion(const std::string& path);

// Where an update shows itself: status panel 0 (each stage, the block
// progress, a failure) and panel 2 (the new version), and the update log and
// its bar (the update dialog's, or the main window's bar alone).
struct FirmwareUpdateViews {
    StatusBarView& status;
    UpdateDialogView& dialog;
};

// Sends the image entry (offset, length) of the package with 0xF1, checks it
// with 0xF3 and ends with 0xF2. 0 on success, 0xFF on failure (the failure
// text is in status panel 0). The image is read completely before the first
// block goes out, so a damaged or vanished package sends nothing.
int DownloadImage(OperationContext& context, FirmwareUpdateViews views, uint32_t offset, uint32_t length,
                  const std::string& path);

// Updates the firmware from a .tqmv package while the programmer runs its
// firmware: once the package is checked, asks (the message view's yes/no
// question, FirmwareQuestion with the package's version record), then boot
// command, image, check, new version. An empty path is Cancelled, a No is
// Declined. Every message goes to status panel 0.
FirmwareUpdateResult UpdateFirmware(OperationContext& context, FirmwareUpdateViews views, const std::string& package);
// The same with the package asked for once the programmer is known to be
// connected (the main window's menu item and tool button).
FirmwareUpdateResult ChooseAndUpdateFirmware(OperationContext& context, FirmwareUpdateViews views,
                                             FileDialogView& files);

// The update dialog's way: takes the newest "*.iap" for the model from the
// program's iap folder, or asks for one when the programmer already runs its
// boot loader or bootReady ("already in boot mode") is set, then runs
// RunBootModeUpdate.
FirmwareUpdateResult UpdateFirmwareFromFolder(OperationContext& context, FirmwareUpdateViews views, bool bootReady,
                                              FileDialogView& files);

// The dialog's update with the package already chosen: once the image is
// found in it, asks as UpdateFirmware does (the version from the file name;
// a No is Declined and logged), then boot command, wait for the programmer
// to come back in boot mode, download, wait for it to restart, read the new
// version. startTick is when the update began.
FirmwareUpdateResult RunBootModeUpdate(OperationContext& context, FirmwareUpdateViews views, const std::string& path,
                                       bool bootReady, uint32_t startTick);

}  // namespace tq
