// User-defined chips: rows of the chip table that borrow every programming
// parameter from an existing SPI flash chip (the algorithm) and take only
// their name, maker and ID from the user. The user chip dialog lists them
// and adds, modifies and deletes them.
#pragma once

#include <string>
#include <vector>

#include "core/chipdb/chip_row.h"

namespace tq {

class Session;

// A name a person can read back and type again: not blanks alone, no line
// break or other control character (the name also goes into dev.ini).
bool IsUsableChipName(const std::string& name);
// An empty ID or six hex digits, stored upper case; false for anything else.
bool NormaliseChipId(std::string& id);

// The dialog's texts in one language (set each time it opens).
struct UserChipTexts {
    std::string caption;
    std::string countPrefix;  // Label1, followed by the number of user chips
    std::string nameLabel, idLabel, algorithmLabel, capacityLabel, manufacturerLabel;
    std::string add, modify, remove, close;
    std::string algorithmError;
};
UserChipTexts UserChipDialogTexts(int language);

enum class UserChipOutcome {
    Done,
    UnknownAlgorithm,  // the algorithm text names no chip; the message was shown
    EmptyName,         // add refused: no name; the message was shown
    NameTaken,         // add refused: a chip of that name exists; the message was shown
    BadName,           // add refused: a name of blanks only or with a control character; the message was shown
    BadId,             // add or modify refused: an ID that is neither empty nor six hex digits; the message was shown
};

struct UserChipResult {
    UserChipOutcome outcome = UserChipOutcome::Done;
    int rowsChanged = 0;  // rows added, changed or deleted
};

// The dialog TfrmUserImportChip: the user chip list, the algorithm list and
// the edits, with their handlers. Database errors surface as DatabaseError.
class UserChipDialog {
public:
    // The edits the person fills in.
    std::string chipName;      // lbeChipName
    std::string chipId;        // lbeChipID
    std::string algorithm;     // the text of cmbSuanFa
    std::string capacity;      // lbeCapcity (read-only: the algorithm's or the listed chip's)
    std::string manufacturer;  // lbeManauf

    const std::vector<std::string>& UserChips() const { return userChips_; }  // ListBox1
    int SelectedUserChip() const { return selected_; }                         // -1: none
    const std::string& CountLabel() const { return countLabel_; }              // Label1
    const std::vector<std::string>& Algorithms() const { return algorithms_; } // cmbSuanFa's items

    // Opens the dialog: both lists refilled, the first user chip shown.
    UserChipTexts MenuAddChipClick(Session& session);
    // The person clicks entry `index` of the user chip list.
    void SelectUserChip(Session& session, int index);
    // Shows the selected user chip in the edits; nothing without a selection.
    void ListBox1Click(Session& session);
    // The algorithm text changed: its capacity is shown when it names a chip.
    void cmbSuanFaChange(Session& session);

    // A new user chip from the edits. Refused (with a message) when the
    // algorithm names no chip, the name is empty or already names a chip:
    // lookups by name take the first row, so a second one could never be used.
    UserChipResult btnAddClick(Session& session);
    // Changes capacity, maker and ID of the user chip named in lbeChipName.
    UserChipResult btnModifyClick(Session& session);
    // Deletes the user chip matching name, maker and ID; nothing else.
    UserChipResult btnDeleteClick(Session& session);

private:
    void RefreshUserList(Session& session);
    // The algorithm's row, or the algorithm error message and false.
    bool FindAlgorithm(Session& session, ChipRow& row);
    // Accepts an empty ID or six hex digits (stored upper case); otherwise
    // shows why and returns false.
    bool CheckChipId(Session& session);

    std::vector<std::string> userChips_;
    int selected_ = -1;
    std::string countLabel_;
    std::vector<std::string> algorithms_;
};

}  // namespace tq
