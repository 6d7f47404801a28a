// Firmware update: switch the programmer into its boot mode, send the
// package's image in 256-byte blocks (0xF1), let the programmer check byte
// count and MD5 (0xF3), end the update (0xF2) and read the new version.
// Two entry points: the main window's menu item and the update dialog's
// start button, which also waits for the programmer to re-enumerate.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

struct OperationContext;

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
};

// Sends the image entry (offset, length) of the package with 0xF1, checks it
// with 0xF3 and ends with 0xF2. 0 on success, 0xFF on failure (the failure
// text is in status panel 0). The image is read completely before the first
// block goes out, so a damaged or vanished package sends nothing.
int DownloadImage(OperationContext& context, UpdateDialogView& dialog, uint32_t offset, uint32_t length,
                  const std::string& path);

// The main window's update (menu item and tool button). The package comes
// from the context's file dialog; every message goes to status panel 0.
FirmwareUpdateResult MenuFirmUpdateClick(OperationContext& context, UpdateDialogView& dialog);

// The update dialog's start button; bootReady is its check box
// "already in boot mode". Chooses the package (the newest "*.iap" for the
// model in the program's iap folder, or by file dialog when the programmer
// already runs its boot loader or bootReady is set), then runs
// RunBootModeUpdate.
FirmwareUpdateResult btnStartIAPClick(OperationContext& context, UpdateDialogView& dialog, bool bootReady);

// The dialog's update with the package already chosen: boot command, wait
// for the programmer to come back in boot mode, download, wait for it to
// restart, read the new version. startTick is when the button was pressed.
FirmwareUpdateResult RunBootModeUpdate(OperationContext& context, UpdateDialogView& dialog, const std::string& path,
                                       bool bootReady, uint32_t startTick);

}  // namespace tq
