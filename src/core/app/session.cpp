#include "core/app/session.h"

#include <utility>

namespace tq {

Session::Session(Volumes& volumes, Clock& clock, std::filesystem::path programFolder)
    : Device(volumes, clock),
      Buffer(Chip, Texts, Views, clock, Busy),
      Operation{Device, Chip, Buffer, Texts, Views, Busy} {
    Texts.ProgramFolder = std::move(programFolder);
    Views.messages = &nullMessages_;
    Views.statusBar = &nullStatusBar_;
    Views.progress = &nullProgress_;
    Views.hexView = &nullHexView_;
    Views.fileDialog = &nullFileDialog_;
    Views.chipFrame = &nullChipFrame_;
    Device.Link.SetObserver(&linkMessages_);
}

}  // namespace tq
