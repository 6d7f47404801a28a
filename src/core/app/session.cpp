#include "core/app/session.h"

#include "core/app/presence_poll.h"

namespace tq {

void Session::LinkMessages::DeviceInUse(const std::string&, const std::string& holder) {
    views_.messages->ShowMessage(DeviceInUseText(texts_.Language, holder));
}

Session::Session(Volumes& volumes, Clock& clock, const std::filesystem::path& programFolder)
    : Session(volumes, clock, PortableFolders(programFolder)) {}

Session::Session(Volumes& volumes, Clock& clock, const ProgramFolders& folders)
    : Device(volumes, clock),
      Buffer(BufferGeometry{Chip.PrjInfo.Capacity, Chip.PrjInfo.RamStartAddr}, Texts, Views, clock, Busy),
      Operation{Device, Chip, Buffer, Texts, Views, Busy} {
    Texts.ProgramFolder = folders.program;
    Texts.SettingsFolder = folders.settings;
    Texts.DataFolder = folders.data;
    Texts.TempFolder = folders.temp;
    Views.messages = &nullMessages_;
    Views.statusBar = &nullStatusBar_;
    Views.progress = &nullProgress_;
    Views.hexView = &nullHexView_;
    Views.fileDialog = &nullFileDialog_;
    Views.chipFrame = &nullChipFrame_;
    Device.Link.SetObserver(&linkMessages_);
}

}  // namespace tq
