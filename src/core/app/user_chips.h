// User-defined chips: rows of the chip table that borrow every programming
// parameter from an existing SPI flash chip (the algorithm) and take only
// their name, maker and ID from the user. The user chip dialog lists them
// and adds, modifies and deletes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/chipdb/chip_row.h"

namespace tq {

class ChipDatabase;
class MessageView;
class Session;

// What the user chip routines use: the chip database, where a refusal is
// said and in which language.
struct UserChipContext {
    ChipDatabase& database;
    MessageView& messages;
    int32_t language;
};
UserChipContext UserChipContextOf(Session& session);

// A user chip as a person describes it.
struct UserChip {
    std::string name;
    std::string maker;
    std::string id;         // empty or six hexadecimal digits
    std::string algorithm;  // the chip whose programming parameters it borrows
};

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

// Adds a user chip. Refused (with a message) when the algorithm names no
// chip, the name is empty, unusable or already names a chip (lookups by name
// take the first row, so a second one could never be used), or the ID is
// malformed.
UserChipResult AddUserChip(const UserChipContext& context, const UserChip& chip);
// Changes capacity (the algorithm's), maker and ID of the user chip of that
// name; factory rows are never changed.
UserChipResult ModifyUserChip(const UserChipContext& context, const UserChip& chip);
// Deletes the user chip matching name, maker and ID; nothing else. A named
// algorithm must exist (the dialog always names one); none skips that check.
UserChipResult DeleteUserChip(const UserChipContext& context, const UserChip& chip);

// The user chip dialog's state (TfrmUserImportChip without its widgets): the
// user chip list, the algorithm list and the edits. Database errors surface
// as DatabaseError.
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
    UserChipTexts Open(const UserChipContext& context);
    // Selects entry `index` of the user chip list and shows it in the edits.
    void SelectUserChip(ChipDatabase& database, int index);
    // Shows the capacity of the algorithm when its text names a chip.
    void ShowAlgorithmCapacity(ChipDatabase& database);

    // The edits as a user chip record.
    UserChip Edits() const;
    // Add, modify or delete the chip the edits describe; the list is refreshed
    // after an add or a delete.
    UserChipResult Add(const UserChipContext& context);
    UserChipResult Modify(const UserChipContext& context);
    UserChipResult Delete(const UserChipContext& context);

private:
    void RefreshUserList(const UserChipContext& context);
    void ShowSelectedUserChip(ChipDatabase& database);
    // An accepted ID is shown as stored (upper case).
    void ShowStoredId(const UserChipResult& result);

    std::vector<std::string> userChips_;
    int selected_ = -1;
    std::string countLabel_;
    std::vector<std::string> algorithms_;
};

}  // namespace tq
