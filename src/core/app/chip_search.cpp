#include "core/app/chip_search.h"

#include "core/texts/language.h"
#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"

namespace tq {

ChipSearchTexts ChipSearchDialogTexts(int language) {
    const TripletPicker text(language);
    ChipSearchTexts texts;
    texts.caption = text("芯片查找", "晶片查找", "Chip Find");
    texts.nameLabel = text("芯片名称", "晶片名稱", "Chip Name");
    texts.note = text("输入完整或者部分芯片名称，按回车键进行搜索.", "輸入完整或者部分芯片名稱，按回車鍵進行搜索.",
                      "Enter full or partial of the chip name ,then press enter key to search.");
    texts.columnTitles = {text("芯片名称", "晶片名稱", "ChipName"), text("容量", "容量", "Capcity"),
                          text("厂商", "廠商", "Manauf"), text("类型", "類型", "Type")};
    texts.resultPrefix = text("共搜索到: ", "共搜索到: ", "Total result: ");
    return texts;
}

bool ChipSearch::Search(Session& session, const std::string& text) {
    if (text.empty()) return false;
    results_ = session.Chip.database().SearchQuery(text);
    countText_ = ChipSearchDialogTexts(session.Texts.Language).resultPrefix + std::to_string(results_.size());
    return true;
}

void ChipSearch::ShowCandidates(std::vector<ChipRow> rows, int language) {
    results_ = std::move(rows);
    countText_ = ChipSearchDialogTexts(language).resultPrefix + std::to_string(results_.size());
}

bool ChipSearch::Select(Session& session, size_t row) const {
    const ChipRow chosen = row < results_.size() ? results_[row] : ChipRow{};
    return SelectChipInFrame(session, chosen.ChipType, chosen.ManufName, chosen.ChipName);
}

}  // namespace tq
