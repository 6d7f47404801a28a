#include "core/app/chip_search.h"

#include "core/texts/text_catalogue.h"
#include "core/texts/language.h"
#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"

namespace tq {

ChipSearchTexts ChipSearchDialogTexts(int language) {
    const TextPicker text(language);
    ChipSearchTexts texts;
    texts.caption = text(TextId::ChipSearchTitle);
    texts.nameLabel = text(TextId::ChipSearchNameLabel);
    texts.note = text(TextId::ChipSearchNote);
    texts.columnTitles = {text(TextId::ChipSearchNameLabel), text(TextId::ChipSearchCapacityColumn),
                          text(TextId::ChipSearchMakerColumn), text(TextId::ChipTypeColumn)};
    texts.resultPrefix = text(TextId::ChipSearchResultCount);
    return texts;
}

bool ChipSearch::Search(const ChipFrameContext& frame, const std::string& text) {
    if (text.empty()) return false;
    results_ = frame.Operation.Chip.database().SearchQuery(text);
    countText_ = ChipSearchDialogTexts(frame.Operation.Texts.Language).resultPrefix + std::to_string(results_.size());
    return true;
}

void ChipSearch::ShowCandidates(std::vector<ChipRow> rows, int language) {
    results_ = std::move(rows);
    countText_ = ChipSearchDialogTexts(language).resultPrefix + std::to_string(results_.size());
}

bool ChipSearch::Select(const ChipFrameContext& frame, size_t row) const {
    const ChipRow chosen = row < results_.size() ? results_[row] : ChipRow{};
    return SelectChipInFrame(frame, chosen.ChipType, chosen.ManufName, chosen.ChipName);
}

}  // namespace tq
