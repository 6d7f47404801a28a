#include "gui/gui_font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

#include "core/texts/language_set.h"

namespace tq::gui {
namespace {

// The faces to look for, best first, by the language's code.
QStringList Families(int32_t language) {
    const std::shared_ptr<const LanguageSet> further = InstalledLanguages();
    const FurtherLanguage* file = further ? further->Find(language) : nullptr;
    const std::string code = file ? file->code : language == 1 ? "zh-Hant" : "zh-Hans";
    if (code == "ja") return {"Yu Gothic UI", "Meiryo UI", "Noto Sans CJK JP", "Source Han Sans JP", "IPAexGothic"};
    if (code == "ko") return {"Malgun Gothic", "Noto Sans CJK KR", "Source Han Sans KR", "NanumGothic"};
    const QStringList chinese = {"Microsoft YaHei", "Noto Sans CJK SC", "Source Han Sans SC", "WenQuanYi Micro Hei",
                                 "WenQuanYi Zen Hei", "Noto Sans CJK TC"};
    if (code == "zh-Hant") return QStringList{"Microsoft JhengHei", "Noto Sans CJK TC", "Source Han Sans TC"} + chinese;
    return chinese;
}

}  // namespace

QFont ProgramFont(int32_t language) {
    const QStringList installed = QFontDatabase::families();
    // A language without a face of its own still gets a CJK face: the chip
    // list and file names may hold Chinese whatever the language.
    for (const QStringList& families : {Families(language), Families(0)})
        for (const QString& family : families)
            if (installed.contains(family)) {
                QFont font(family);
                font.setPointSize(9);
                return font;
            }
    return QApplication::font();
}

}  // namespace tq::gui
