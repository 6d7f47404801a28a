// One run of the program: every record the engine works on, owned here and
// passed by reference. Two sessions in one process share nothing.
#pragma once

#include <filesystem>
#include <memory>

#include "core/app/language_texts.h"
#include "core/app/operation_record.h"
#include "core/app/settings.h"
#include "core/buffer/buffer_record.h"
#include "core/device/identity_record.h"
#include "core/device/link.h"
#include "core/views.h"

namespace tq {

class ChipDatabase;

// The views a session reports through; front-ends replace the null ones.
struct SessionViews {
    MessageView* messages;
    StatusBarView* statusBar;
    ProgressView* progress;
    HexView* hexView;
    FileDialogView* fileDialog;
};

class Session {
public:
    Session(Volumes& volumes, Clock& clock, std::filesystem::path programFolder);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    DeviceLink Link;  // Uart_Struct, FrameBuffer, ReceivedCount
    Dev_Inf_Struct DevInf;
    Prj_Info_Struct PrjInfo;
    Prj_Info_Struct PrjInfoOffline;
    Ram_File_Info_Struct RamFile;
    Dev_Language_Struct DevLanguage;
    DebugOptions DebugOption;  // [DebugOption] of dev.ini, kept but unused
    std::unique_ptr<ChipDatabase> Database;
    std::filesystem::path ProgramFolder;
    SessionViews Views;
    // The presence poll timer (TimerScan); the firmware update turns it off
    // for its duration.
    bool TimerScanEnabled = true;
    // The chip selection frame sits in the offline project dialog while a
    // project is edited; choosing a chip there leaves the buffer alone.
    bool ChipFrameInProjectDialog = false;

    Clock& clock() { return Link.clock(); }
    void SetMessageView(MessageView& view);

private:
    NullMessageView nullMessages_;
    NullStatusBarView nullStatusBar_;
    NullProgressView nullProgress_;
    NullHexView nullHexView_;
    NullFileDialogView nullFileDialog_;
};

}  // namespace tq
