// The program's font: "Microsoft YaHei" where it is installed, else a CJK
// sans font, so Chinese captions never show as boxes. Japanese and Korean
// take their own CJK faces: they draw the shared characters in their own
// forms, which the Chinese faces do not.
#pragma once

#include <QFont>
#include <cstdint>

namespace tq::gui {

QFont ProgramFont(int32_t language = 0);

}  // namespace tq::gui
