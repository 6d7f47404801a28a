// The program's font: "Microsoft YaHei" where it is installed, else a CJK
// sans font, so Chinese captions never show as boxes.
#pragma once

#include <QFont>

namespace tq::gui {

QFont ProgramFont();

}  // namespace tq::gui
