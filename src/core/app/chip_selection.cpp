#include "core/app/chip_selection.h"

#include <algorithm>

#include "core/buffer/buffer_undo.h"
#include "core/buffer/chip_buffer.h"
#include "core/chipdb/chip_database.h"
#include "core/device/commands.h"
#include "core/app/session.h"

namespace tq {
namespace {

void Show(Session& session, ChipList list) { session.Views.chipFrame->ShowList(list, session.Window.ChipFrame[list]); }

// Clearing a drop-down list empties its edit text as well.
void SetItems(Session& session, ChipList list, std::vector<std::string> items) {
    session.Window.ChipFrame[list] = ChipListState{std::move(items), -1, ""};
    Show(session, list);
}

void SelectFirst(Session& session, ChipList list) {
    ChipListState& state = session.Window.ChipFrame[list];
    if (state.items.empty()) return;
    state.index = 0;
    state.text = state.items.front();
    Show(session, list);
}

std::string VoltageText(int64_t voltage) {
    if (voltage == 1800) return "1.8V";
    if (voltage == 5000) return "5.0V";
    return "3.3V";
}

uint64_t SizeOf(int64_t column) { return column > 0 ? static_cast<uint64_t>(column) : 0; }

void ManufacturerChanged(Session& session) {
    FillNameList(session, session.Window.ChipFrame.type.text, session.Window.ChipFrame.manufacturer.text);
    SelectFirst(session, ChipList::Name);
    ApplyChipName(session);
}

void RunChangeHandler(Session& session, ChipList list) {
    switch (list) {
    case ChipList::Type: ApplyChipType(session); break;
    case ChipList::Manufacturer: ManufacturerChanged(session); break;
    case ChipList::Name: ApplyChipName(session); break;
    }
}

// While an operation runs, or when the person keeps unsaved edits that a new
// chip's buffer would replace, the frame keeps its state; the widgets are
// shown what they held before the person's change. Choosing the chip that is
// already selected replaces nothing.
bool Refused(Session& session, const std::string* chosenName = nullptr) {
    const bool sameChip = chosenName && *chosenName == session.Chip.PrjInfo.ChipName;
    const bool keepsBuffer = sameChip || session.Window.ChipFrameInProjectDialog;
    if (!session.Busy.Running && (keepsBuffer || ConfirmDiscardEdits(session.Buffer))) return false;
    for (ChipList list : {ChipList::Type, ChipList::Manufacturer, ChipList::Name}) Show(session, list);
    return true;
}

}  // namespace

void NewChipBuffer(Session& session, uint32_t capacity) {
    if (session.Window.ChipFrameInProjectDialog) return;
    NewChipBuffer(session.Buffer, capacity);
    session.Device.DevInf.SuccessCount = 0;
    session.Device.DevInf.FailCount = 0;
}

void ApplyChipType(Session& session) {
    const std::string type = session.Window.ChipFrame.type.text;
    session.Views.chipFrame->SetDetectEnabled(DetectButton::Frame, FamilyNamed(type).detects);
    FillManufacturerList(session, type);
    SelectFirst(session, ChipList::Manufacturer);
    FillNameList(session, type, session.Window.ChipFrame.manufacturer.text);
    SelectFirst(session, ChipList::Name);
    ApplyChipName(session);
}

void FillTypeList(Session& session, const std::vector<std::string>& types) {
    SetItems(session, ChipList::Type, types);
}

bool FindListItem(Session& session, ChipList list, const std::string& text) {
    ChipListState& state = session.Window.ChipFrame[list];
    const auto found = std::find(state.items.begin(), state.items.end(), text);
    if (found == state.items.end()) {
        state.index = -1;
        state.text.clear();
    } else {
        state.index = static_cast<int>(found - state.items.begin());
        state.text = *found;
    }
    Show(session, list);
    return state.index >= 0;
}

void FillManufacturerList(Session& session, const std::string& type) {
    SetItems(session, ChipList::Manufacturer, session.Chip.database().ManufacturerListQuery(type));
}

void FillNameList(Session& session, const std::string& type, const std::string& manufacturer, bool byCapacity) {
    ChipDatabase& db = session.Chip.database();
    SetItems(session, ChipList::Name,
             byCapacity ? db.NameListQuery(type, manufacturer) : db.StartupNameListQuery(type, manufacturer));
}

void ApplyChipName(Session& session) {
    const std::string name = session.Window.ChipFrame.name.text;
    const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(name);
    // A name without a row selects a chip whose every parameter is 0.
    const ChipRow row = rows.empty() ? ChipRow{} : rows.front();
    Prj_Info_Struct& prj = session.Chip.PrjInfo;
    ChipFrameView& view = *session.Views.chipFrame;

    CopyChipParameters(row, prj);
    view.SetCapacityText(FormatSize(SizeOf(row.Capacity)));
    view.SetPageSizeText(FormatSize(SizeOf(row.PageSize)));
    if (row.OTPSize >= 1) view.SetOtpSizeText(FormatSize(SizeOf(row.OTPSize)));
    view.SetOtpSizeVisible(prj.OTPSize != 0);
    view.SetVoltageText(VoltageText(row.Voltage));
    view.SetVoltageNoteVisible(false);
    view.SetSocketPicture(row.Voltage == 1800 ? SocketPicture::Socket18V : SocketPicture::Pinout);

    // The same chip again keeps what the buffer holds.
    if (prj.ChipName != name) {
        prj.ChipName = name;
        NewChipBuffer(session, prj.Capacity);
    }
    SendChipSelection(session);
}

void SendChipSelection(Session& session) {
    const Prj_Info_Struct& prj = session.Chip.PrjInfo;
    if (!session.Device.Link.Uart.Connected || prj.ChipName.empty()) return;
    SelectChip(session.Device.Link, ChipSelection{static_cast<uint8_t>(prj.ChipTypeCode), prj.VoltageCode, prj.ChipPara,
                                                  prj.ChipPara1, prj.PageSize, prj.Capacity});
}

bool ChooseChipType(Session& session) {
    if (Refused(session)) return false;
    ApplyChipType(session);
    return true;
}

bool ChooseMaker(Session& session) {
    if (Refused(session)) return false;
    ManufacturerChanged(session);
    return true;
}

bool ChooseChipName(Session& session) {
    if (Refused(session, &session.Window.ChipFrame.name.text)) return false;
    ApplyChipName(session);
    return true;
}

bool ChooseListItem(Session& session, ChipList list, int index) {
    ChipListState& state = session.Window.ChipFrame[list];
    if (index < 0 || index >= static_cast<int>(state.items.size())) {
        if (session.Busy.Running) Refused(session);  // shows the lists as they were
        return false;
    }
    const std::string* name = list == ChipList::Name ? &state.items[static_cast<size_t>(index)] : nullptr;
    if (Refused(session, name)) return false;
    state.index = index;
    state.text = state.items[static_cast<size_t>(index)];
    Show(session, list);
    RunChangeHandler(session, list);
    return true;
}

bool TypeListText(Session& session, ChipList list, const std::string& text) {
    if (Refused(session, list == ChipList::Name ? &text : nullptr)) return false;
    ChipListState& state = session.Window.ChipFrame[list];
    const auto found = std::find(state.items.begin(), state.items.end(), text);
    state.index = found == state.items.end() ? -1 : static_cast<int>(found - state.items.begin());
    state.text = text;
    Show(session, list);
    RunChangeHandler(session, list);
    return true;
}

bool SelectChipByName(Session& session, const std::string& name) {
    if (Refused(session, &name)) return false;
    const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(name);
    if (rows.empty()) return false;
    const ChipRow& row = rows.front();
    if (FindListItem(session, ChipList::Type, row.ChipType)) {
        FillManufacturerList(session, row.ChipType);
        if (FindListItem(session, ChipList::Manufacturer, row.ManufName)) {
            FillNameList(session, row.ChipType, row.ManufName);
            FindListItem(session, ChipList::Name, row.ChipName);
        }
    }
    // The name as stored: a name typed in other letter case finds its row.
    ChipListState& names = session.Window.ChipFrame.name;
    if (names.text != row.ChipName) {
        names.index = -1;
        names.text = row.ChipName;
        Show(session, ChipList::Name);
    }
    ApplyChipName(session);
    return true;
}

bool SelectChipInFrame(Session& session, const std::string& type, const std::string& manufacturer,
                       const std::string& name) {
    return !Refused(session, &name) && PutChipInFrame(session, type, manufacturer, name);
}

bool PutChipInFrame(Session& session, const std::string& type, const std::string& manufacturer,
                    const std::string& name) {
    if (!FindListItem(session, ChipList::Type, type)) return false;
    FillManufacturerList(session, type);
    if (!FindListItem(session, ChipList::Manufacturer, manufacturer)) return false;
    FillNameList(session, type, manufacturer);
    if (!FindListItem(session, ChipList::Name, name)) return false;
    ApplyChipName(session);
    return true;
}

void RefreshChipLists(Session& session) {
    const ChipFrameLists shown = session.Window.ChipFrame;
    if (shown.type.index < 0) return;
    FillManufacturerList(session, shown.type.text);
    FindListItem(session, ChipList::Manufacturer, shown.manufacturer.text);
    FillNameList(session, shown.type.text, session.Window.ChipFrame.manufacturer.text);
    FindListItem(session, ChipList::Name, shown.name.text);
}

ChipRestore RestoreLastChip(Session& session) {
    const std::vector<ChipRow> rows = session.Chip.database().ChipRowQuery(session.Chip.PrjInfo.ChipName);
    if (rows.empty()) return ChipRestore::NoRow;
    const ChipRow& row = rows.front();
    if (!FindListItem(session, ChipList::Type, row.ChipType)) return ChipRestore::TypeNotListed;
    session.Views.chipFrame->SetDetectEnabled(DetectButton::Frame, FamilyNamed(row.ChipType).detects);
    FillManufacturerList(session, row.ChipType);
    if (!FindListItem(session, ChipList::Manufacturer, row.ManufName)) return ChipRestore::ManufacturerNotListed;
    FillNameList(session, row.ChipType, row.ManufName, false);
    if (!FindListItem(session, ChipList::Name, row.ChipName)) return ChipRestore::NameNotListed;
    // An empty name makes the handler take the chip as a new one.
    session.Chip.PrjInfo.ChipName.clear();
    ApplyChipName(session);
    return ChipRestore::Restored;
}

}  // namespace tq
