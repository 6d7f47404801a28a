#include "core/session.h"

#include <utility>

#include "core/chipdb/chip_database.h"

namespace tq {

Session::Session(Volumes& volumes, Clock& clock, std::filesystem::path programFolder)
    : Link(volumes, clock),
      ProgramFolder(std::move(programFolder)),
      Views{&nullMessages_, &nullStatusBar_, &nullProgress_, &nullHexView_, &nullFileDialog_, &nullChipFrame_} {
    Link.SetMessageView(nullMessages_);
}

Session::~Session() = default;

void Session::SetMessageView(MessageView& view) {
    Views.messages = &view;
    Link.SetMessageView(view);
}

}  // namespace tq
