// The chip search dialog: finds chips by any part of their name and takes
// the row the person highlights into the chip selection frame. The results
// are the search's own: nothing else that runs meanwhile can replace the rows
// the person is looking at.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/app/chip_selection.h"
#include "core/chipdb/chip_row.h"

namespace tq {


// The dialog's texts in one language (set each time it opens).
struct ChipSearchTexts {
    std::string caption;
    std::string nameLabel;  // label of lbeChipFindContent
    std::string note;       // lbNote
    std::string chooseRow;  // lbNote after Enter without a chosen row
    std::array<std::string, 4> columnTitles;  // ChipName, NOTE, ManufName, ChipType
    std::string resultPrefix;
};
ChipSearchTexts ChipSearchDialogTexts(int language);

class ChipSearch {
public:
    // Opening the dialog blanks the result count; the search text and the
    // last results stay from the previous opening.
    void Open() { countText_.assign(1, ' '); }

    // A key released in the search edit: a non-empty text searches again
    // (rows whose name contains it, by capacity). An empty text keeps the
    // last results; false then.
    bool Search(const ChipFrameContext& frame, const std::string& text);

    // Chip detection found several chips with one ID: they are the results,
    // counted as a search's are.
    void ShowCandidates(std::vector<ChipRow> rows, int language);

    const std::vector<ChipRow>& Results() const { return results_; }
    const std::string& ResultCountText() const { return countText_; }  // lbFindResult

    // Select (Button3Click): takes result `row`, the one highlighted, into the
    // chip selection frame (SelectChipInFrame). A row outside the results
    // reads as empty texts, so the frame's type list loses its selection.
    bool Select(const ChipFrameContext& frame, size_t row) const;

    // The row Enter and Select take: after a search, the row whose name
    // equals the search text in any letter case; the row the person moved to
    // (keys or mouse) replaces it. None after a search without such a row
    // and after detection's candidates: the person must choose.
    std::optional<size_t> ChosenRow() const { return chosen_; }
    void ChooseRow(size_t row) {
        if (row < results_.size()) chosen_ = row;
    }

private:
    std::vector<ChipRow> results_;
    std::string countText_ = " ";
    std::optional<size_t> chosen_;
};

}  // namespace tq
