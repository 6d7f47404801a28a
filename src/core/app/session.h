// One run of the program: the contexts every layer owns, assembled here and
// passed by reference. Two sessions in one process share nothing.
#pragma once

#include <filesystem>
#include <string>

#include "core/app/chip_frame_view.h"
#include "core/app/program_folders.h"
#include "core/app/settings.h"
#include "core/operations/operation_context.h"

namespace tq {

// The views of the session: the lower layers' set plus the chip frame.
// A front-end wires a view by pointing its member here at its own.
struct SessionViews : ViewSet {
    ChipFrameView* chipFrame = nullptr;
};

// State of the main window that the handlers read and change.
struct WindowState {
    // The chip selection frame's three lists (frameChipInfoMain).
    ChipFrameLists ChipFrame;
    // True while the chip selection frame sits in the offline project dialog:
    // choosing a chip there must leave the buffer alone.
    bool ChipFrameInProjectDialog = false;
    // The log panel is shown; kept in the settings between runs.
    bool LogPanelShown = false;
};

class Session {
public:
    // Everything in one program folder (the portable layout).
    Session(Volumes& volumes, Clock& clock, const std::filesystem::path& programFolder);
    Session(Volumes& volumes, Clock& clock, const ProgramFolders& folders);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SessionViews Views;
    TextContext Texts;
    DeviceContext Device;
    ChipContext Chip;
    BusyState Busy;
    BufferContext Buffer;
    OperationContext Operation;
    WindowState Window;
    DebugOptions DebugOption;  // [DebugOption] of dev.ini, kept but unused

    Clock& clock() { return Device.clock(); }

private:
    // Shows what the link reports: an exchange file that cannot be opened.
    class LinkMessages final : public LinkObserver {
    public:
        LinkMessages(SessionViews& views, const TextContext& texts) : views_(views), texts_(texts) {}
        void ExchangeFileNotOpened(const std::string&, const std::string&) override {
            views_.messages->ShowMessage("Device Connect Error.");
        }
        void DeviceInUse(const std::string&, const std::string& holder) override;

    private:
        SessionViews& views_;
        const TextContext& texts_;
    };

    LinkMessages linkMessages_{Views, Texts};
    NullMessageView nullMessages_;
    NullStatusBarView nullStatusBar_;
    NullProgressView nullProgress_;
    NullHexView nullHexView_;
    NullFileDialogView nullFileDialog_;
    NullChipFrameView nullChipFrame_;
};

}  // namespace tq
