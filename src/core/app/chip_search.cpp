#include "core/app/chip_search.h"

#include <algorithm>
#include <cctype>

#include "core/texts/text_catalogue.h"
#include "core/texts/language.h"
#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"

namespace tq {
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

ChipSearchTexts ChipSearchDialogTexts(int language) {
    const TextPicker text(language);
    ChipSearchTexts texts;
    texts.caption = text(TextId::ChipSearchTitle);
    texts.nameLabel = text(TextId::ChipSearchNameLabel);
    texts.note = text(TextId::ChipSearchFilterNote);
    texts.chooseRow = text(TextId::ChipSearchChooseRow);
    texts.columnTitles = {text(TextId::ChipSearchNameLabel), text(TextId::ChipSearchCapacityColumn),
                          text(TextId::ChipSearchMakerColumn), text(TextId::ChipTypeColumn)};
    texts.resultPrefix = text(TextId::ChipSearchResultCount);
    return texts;
}

bool ChipSearch::Search(const ChipFrameContext& frame, const std::string& text) {
    if (text.empty()) return false;
    results_ = frame.Operation.Chip.database().SearchQuery(text);
    chosen_.reset();
    for (size_t row = 0; row < results_.size() && !chosen_; ++row)
        if (SameNameIgnoringCase(results_[row].ChipName, text)) chosen_ = row;
    countText_ = ChipSearchDialogTexts(frame.Operation.Texts.Language).resultPrefix + std::to_string(results_.size());
    return true;
}

void ChipSearch::ShowCandidates(std::vector<ChipRow> rows, int language) {
    results_ = std::move(rows);
    chosen_.reset();
    countText_ = ChipSearchDialogTexts(language).resultPrefix + std::to_string(results_.size());
}

bool ChipSearch::Select(const ChipFrameContext& frame, size_t row) const {
    const ChipRow chosen = row < results_.size() ? results_[row] : ChipRow{};
    return SelectChipInFrame(frame, chosen.ChipType, chosen.ManufName, chosen.ChipName);
}

}  // namespace tq
