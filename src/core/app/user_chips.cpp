#include "core/app/user_chips.h"

#include "core/texts/language.h"
#include "core/chipdb/chip_database.h"
#include "core/chipdb/chip_row.h"
#include "core/app/chip_selection.h"
#include "core/app/session.h"

namespace tq {
namespace {

void Tell(Session& session, const char* cn, const char* tc, const char* en) {
    session.Views.messages->ShowMessage(Triplet(session.Texts.Language, cn, tc, en));
}

}  // namespace

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
    const TripletPicker text(language);
    UserChipTexts texts;
    texts.caption = text("用户自定义芯片管理", "用戶自定義晶片管理", "User-Def Chips Manage");
    texts.countPrefix = text("用户自定义型号        ", "用戶自定義型號        ", "User Self-Def Chip       ");
    texts.nameLabel = text("芯片名称：", "晶片名稱：", "Chip Name:");
    texts.idLabel = text("芯片ID：", "晶片ID：", "Chip ID:");
    texts.algorithmLabel = text("算法选择", "算法選擇", "Algorithm");
    texts.capacityLabel = text("容量：  ", "容量：  ", "Capcity:");
    texts.manufacturerLabel = text("廠商：  ", "廠商：  ", "Manufacturer:");
    texts.add = text("添加", "添加", "Add");
    texts.modify = text("修改", "修改", "Modify");
    texts.remove = text("刪除", "刪除", "Delete");
    texts.close = text("关闭", "關閉", "Close");
    texts.algorithmError = text("算法名称错误，请重试！", "算法名稱錯誤，請重試！", "Algorithm Error!Please retry!");
    return texts;
}

void UserChipDialog::RefreshUserList(Session& session) {
    const std::vector<ChipRow> rows = session.Chip.database().UserRowsQuery();
    countLabel_ = UserChipDialogTexts(session.Texts.Language).countPrefix + std::to_string(rows.size());
    userChips_.clear();
    for (const ChipRow& row : rows) userChips_.push_back(row.ChipName);
    selected_ = userChips_.empty() ? -1 : 0;
}

UserChipTexts UserChipDialog::MenuAddChipClick(Session& session) {
    RefreshUserList(session);
    algorithms_.clear();
    for (const ChipRow& row : session.Chip.database().AlgorithmListQuery()) algorithms_.push_back(row.ChipName);
    // Selecting the first item does not count as a change of the text.
    if (!algorithms_.empty()) algorithm = algorithms_.front();
    ListBox1Click(session);
    return UserChipDialogTexts(session.Texts.Language);
}

void UserChipDialog::SelectUserChip(Session& session, int index) {
    if (index < 0 || index >= static_cast<int>(userChips_.size())) return;
    selected_ = index;
    ListBox1Click(session);
}

void UserChipDialog::ListBox1Click(Session& session) {
    if (selected_ < 0) return;
    const std::string& name = userChips_[static_cast<size_t>(selected_)];
    const std::vector<ChipRow> rows = session.Chip.database().UserRowQuery(name);
    const ChipRow row = rows.empty() ? ChipRow{} : rows.front();
    chipName = row.ChipName;
    chipId = row.ChipID;
    capacity = rows.empty() ? std::string() : std::to_string(row.Capacity);
    manufacturer = row.ManufName;
}

void UserChipDialog::cmbSuanFaChange(Session& session) {
    const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(algorithm);
    if (!rows.empty()) capacity = std::to_string(rows.front().Capacity);
}

bool UserChipDialog::FindAlgorithm(Session& session, ChipRow& row) {
    const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(algorithm);
    if (rows.empty()) {
        session.Views.messages->ShowMessage(UserChipDialogTexts(session.Texts.Language).algorithmError);
        return false;
    }
    row = rows.front();
    return true;
}

bool UserChipDialog::CheckChipId(Session& session) {
    if (NormaliseChipId(chipId)) return true;
    Tell(session, "芯片ID必须是六位十六进制数字！", "晶片ID必須是六位十六進制數字！",
         "The chip ID must be six hexadecimal digits!");
    return false;
}

UserChipResult UserChipDialog::btnAddClick(Session& session) {
    ChipRow source;
    if (!FindAlgorithm(session, source)) return {UserChipOutcome::UnknownAlgorithm, 0};
    if (chipName.empty()) {
        Tell(session, "芯片名称不能为空！", "晶片名稱不能為空！", "The chip name is empty!");
        return {UserChipOutcome::EmptyName, 0};
    }
    if (!IsUsableChipName(chipName)) {
        Tell(session, "芯片名称不能只有空格，也不能包含换行！", "晶片名稱不能只有空格，也不能包含換行！",
             "The chip name must not be blanks only or contain a line break!");
        return {UserChipOutcome::BadName, 0};
    }
    if (!CheckChipId(session)) return {UserChipOutcome::BadId, 0};
    if (!session.Chip.database().ChipRowQuery(chipName).empty()) {
        Tell(session, "该芯片名称已存在，请换一个名称！", "該晶片名稱已存在，請換一個名稱！",
             "A chip with this name already exists! Please choose another name!");
        return {UserChipOutcome::NameTaken, 0};
    }
    session.Chip.database().UserChipInsert(source, chipName, manufacturer, chipId);
    RefreshUserList(session);
    return {UserChipOutcome::Done, 1};
}

UserChipResult UserChipDialog::btnModifyClick(Session& session) {
    ChipRow source;
    if (!FindAlgorithm(session, source)) return {UserChipOutcome::UnknownAlgorithm, 0};
    if (!CheckChipId(session)) return {UserChipOutcome::BadId, 0};
    const int changed =
        session.Chip.database().UserChipUpdate(chipName, std::to_string(source.Capacity), manufacturer, chipId);
    return {UserChipOutcome::Done, changed};
}

UserChipResult UserChipDialog::btnDeleteClick(Session& session) {
    ChipRow source;
    if (!FindAlgorithm(session, source)) return {UserChipOutcome::UnknownAlgorithm, 0};
    const int deleted = session.Chip.database().UserChipDelete(chipName, manufacturer, chipId);
    RefreshUserList(session);
    return {UserChipOutcome::Done, deleted};
}

}  // namespace tq
