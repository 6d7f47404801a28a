// One run of the program: every record the engine works on, owned here and
// passed by reference. Two sessions in one process share nothing.
#pragma once

#include <filesystem>
#include <memory>

#include "core/app/language_texts.h"
#include "core/app/operation_record.h"
#include "core/app/settings.h"
#include "core/buffer/buffer_record.h"
#include "core/buffer/open_dialog_state.h"
#include "core/chipdb/chip_frame_view.h"
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
    ChipFrameView* chipFrame;
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
    // The main window's open dialog odBin: it remembers its folder, file
    // name and filter between uses, and a drop leaves the file to import in it.
    OpenDialogState OpenDialog;
    // True while the chip selection frame sits in the offline project dialog:
    // choosing a chip there must leave the buffer alone.
    bool ChipFrameInProjectDialog = false;
    // The chip selection frame's three lists (frameChipInfoMain).
    ChipFrameLists ChipFrame;
    // Set while a chip operation runs; a second one is refused meanwhile
    // (waits process events, so a click could otherwise start one inside another).
    bool OperationRunning = false;

    Clock& clock() { return Link.clock(); }
    void SetMessageView(MessageView& view);

private:
    NullMessageView nullMessages_;
    NullStatusBarView nullStatusBar_;
    NullProgressView nullProgress_;
    NullHexView nullHexView_;
    NullFileDialogView nullFileDialog_;
    NullChipFrameView nullChipFrame_;
};

}  // namespace tq
