#include "gui/gui_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace tq::gui {

QFont ProgramFont() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Microsoft YaHei", "Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
                               "WenQuanYi Zen Hei", "Noto Sans CJK TC"}) {
        if (installed.contains(family)) {
            QFont font(family);
            font.setPointSize(9);
            return font;
        }
    }
    return QApplication::font();
}

}  // namespace tq::gui
