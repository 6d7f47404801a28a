#include "core/app/user_chips.h"

#include "core/app/session.h"
#include "core/base/views.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_row.h"
#include "core/texts/text_catalogue.h"

namespace tq {
namespace {

void Tell(const UserChipContext& context, TextId text) { context.messages.ShowMessage(Text(context.language, text)); }

// The algorithm's row, or the algorithm error message and false.
bool FindAlgorithm(const UserChipContext& context, const std::string& algorithm, ChipRow& row) {
    const std::vector<ChipRow> rows = context.database.ChipRowQuery(algorithm);
    if (rows.empty()) {
        Tell(context, TextId::UserChipAlgorithmError);
        return false;
    }
    row = rows.front();
    return true;
}

// Accepts an empty ID or six hex digits (upper-cased into `id`); otherwise
// says why and returns false.
bool CheckChipId(const UserChipContext& context, std::string& id) {
    if (NormaliseChipId(id)) return true;
    Tell(context, TextId::UserChipIdNotSixHexDigits);
    return false;
}

}  // namespace

UserChipContext UserChipContextOf(Session& session) {
    return {session.Chip.database(), *session.Views.messages, session.Texts.Language};
}

bool IsUsableChipName(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return false;
    for (const unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

bool NormaliseChipId(std::string& id) {
    if (id.empty()) return true;
    std::string upper = id;
    for (char& c : upper)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    if (!IsWellFormedChipId(upper)) return false;
    id = upper;
    return true;
}

UserChipTexts UserChipDialogTexts(int language) {
    struct Field {
        std::string UserChipTexts::*member;
        TextId text;
    };
    static constexpr Field kFields[] = {
        {&UserChipTexts::caption, TextId::UserChipCaption},
        {&UserChipTexts::countPrefix, TextId::UserChipCountPrefix},
        {&UserChipTexts::nameLabel, TextId::UserChipNameLabel},
        {&UserChipTexts::idLabel, TextId::UserChipIdLabel},
        {&UserChipTexts::algorithmLabel, TextId::UserChipAlgorithmLabel},
        {&UserChipTexts::capacityLabel, TextId::UserChipCapacityLabel},
        {&UserChipTexts::manufacturerLabel, TextId::UserChipMakerLabel},
        {&UserChipTexts::add, TextId::UserChipAdd},
        {&UserChipTexts::modify, TextId::UserChipModify},
        {&UserChipTexts::remove, TextId::UserChipDelete},
        {&UserChipTexts::close, TextId::UserChipClose},
        {&UserChipTexts::algorithmError, TextId::UserChipAlgorithmError},
    };
    UserChipTexts texts;
    for (const Field& field : kFields) texts.*field.member = Text(language, field.text);
    return texts;
}

UserChipResult AddUserChip(const UserChipContext& context, const UserChip& chip) {
    ChipRow source;
    if (!FindAlgorithm(context, chip.algorithm, source)) return {UserChipOutcome::UnknownAlgorithm, 0};
    if (chip.name.empty()) {
        Tell(context, TextId::UserChipNameEmpty);
        return {UserChipOutcome::EmptyName, 0};
    }
    if (!IsUsableChipName(chip.name)) {
        Tell(context, TextId::UserChipNameUnusable);
        return {UserChipOutcome::BadName, 0};
    }
    std::string id = chip.id;
    if (!CheckChipId(context, id)) return {UserChipOutcome::BadId, 0};
    if (!context.database.ChipRowQuery(chip.name).empty()) {
        Tell(context, TextId::UserChipNameTaken);
        return {UserChipOutcome::NameTaken, 0};
    }
    context.database.UserChipInsert(source, chip.name, chip.maker, id);
    return {UserChipOutcome::Done, 1};
}

UserChipResult ModifyUserChip(const UserChipContext& context, const UserChip& chip) {
    ChipRow source;
    if (!FindAlgorithm(context, chip.algorithm, source)) return {UserChipOutcome::UnknownAlgorithm, 0};
    std::string id = chip.id;
    if (!CheckChipId(context, id)) return {UserChipOutcome::BadId, 0};
    return {UserChipOutcome::Done,
            context.database.UserChipUpdate(chip.name, std::to_string(source.Capacity), chip.maker, id)};
}

UserChipResult DeleteUserChip(const UserChipContext& context, const UserChip& chip) {
    ChipRow source;
    if (!chip.algorithm.empty() && !FindAlgorithm(context, chip.algorithm, source))
        return {UserChipOutcome::UnknownAlgorithm, 0};
    return {UserChipOutcome::Done, context.database.UserChipDelete(chip.name, chip.maker, chip.id)};
}

void UserChipDialog::RefreshUserList(const UserChipContext& context) {
    const std::vector<ChipRow> rows = context.database.UserRowsQuery();
    countLabel_ = Text(context.language, TextId::UserChipCountPrefix) + std::to_string(rows.size());
    userChips_.clear();
    for (const ChipRow& row : rows) userChips_.push_back(row.ChipName);
    selected_ = userChips_.empty() ? -1 : 0;
}

UserChipTexts UserChipDialog::Open(const UserChipContext& context) {
    RefreshUserList(context);
    algorithms_.clear();
    for (const ChipRow& row : context.database.AlgorithmListQuery()) algorithms_.push_back(row.ChipName);
    // Selecting the first item does not count as a change of the text.
    if (!algorithms_.empty()) algorithm = algorithms_.front();
    ShowSelectedUserChip(context.database);
    return UserChipDialogTexts(context.language);
}

void UserChipDialog::SelectUserChip(ChipDatabase& database, int index) {
    if (index < 0 || index >= static_cast<int>(userChips_.size())) return;
    selected_ = index;
    ShowSelectedUserChip(database);
}

void UserChipDialog::ShowSelectedUserChip(ChipDatabase& database) {
    if (selected_ < 0) return;
    const std::string& name = userChips_[static_cast<size_t>(selected_)];
    const std::vector<ChipRow> rows = database.UserRowQuery(name);
    const ChipRow row = rows.empty() ? ChipRow{} : rows.front();
    chipName = row.ChipName;
    chipId = row.ChipID;
    capacity = rows.empty() ? std::string() : std::to_string(row.Capacity);
    manufacturer = row.ManufName;
}

void UserChipDialog::ShowAlgorithmCapacity(ChipDatabase& database) {
    const std::vector<ChipRow> rows = database.ChipRowQuery(algorithm);
    if (!rows.empty()) capacity = std::to_string(rows.front().Capacity);
}

UserChip UserChipDialog::Edits() const { return {chipName, manufacturer, chipId, algorithm}; }

void UserChipDialog::ShowStoredId(const UserChipResult& result) {
    if (result.outcome == UserChipOutcome::Done) NormaliseChipId(chipId);
}

UserChipResult UserChipDialog::Add(const UserChipContext& context) {
    const UserChipResult result = AddUserChip(context, Edits());
    ShowStoredId(result);
    if (result.outcome == UserChipOutcome::Done) RefreshUserList(context);
    return result;
}

UserChipResult UserChipDialog::Modify(const UserChipContext& context) {
    const UserChipResult result = ModifyUserChip(context, Edits());
    ShowStoredId(result);
    return result;
}

UserChipResult UserChipDialog::Delete(const UserChipContext& context) {
    // The dialog always names an algorithm: an empty text is one that names no chip.
    if (algorithm.empty()) {
        Tell(context, TextId::UserChipAlgorithmError);
        return {UserChipOutcome::UnknownAlgorithm, 0};
    }
    const UserChipResult result = DeleteUserChip(context, Edits());
    if (result.outcome == UserChipOutcome::Done) RefreshUserList(context);
    return result;
}

}  // namespace tq
