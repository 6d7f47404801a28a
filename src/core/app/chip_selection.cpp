#include "core/app/chip_selection.h"

#include <algorithm>

#include "core/buffer/buffer_undo.h"
#include "core/buffer/chip_buffer.h"
#include "core/chipdb/chip_database.h"
#include "core/device/commands.h"
#include "core/app/session.h"
#include "core/texts/text_catalogue.h"

namespace tq {

ChipFrameContext::ChipFrameContext(Session& session)
    : Operation(session.Operation), Window(session.Window), View(*session.Views.chipFrame) {}

namespace {

void Show(const ChipFrameContext& frame, ChipList list) { frame.View.ShowList(list, frame.Window.ChipFrame[list]); }

// Clearing a drop-down list empties its edit text as well.
void SetItems(const ChipFrameContext& frame, ChipList list, std::vector<std::string> items) {
    frame.Window.ChipFrame[list] = ChipListState{std::move(items), -1, ""};
    Show(frame, list);
}

void SelectFirst(const ChipFrameContext& frame, ChipList list) {
    ChipListState& state = frame.Window.ChipFrame[list];
    if (state.items.empty()) return;
    state.index = 0;
    state.text = state.items.front();
    Show(frame, list);
}

std::string VoltageText(int64_t voltage) {
    if (voltage == 1800) return "1.8V";
    if (voltage == 5000) return "5.0V";
    return "3.3V";
}

uint64_t SizeOf(int64_t column) { return column > 0 ? static_cast<uint64_t>(column) : 0; }

void ManufacturerChanged(const ChipFrameContext& frame) {
    FillNameList(frame, frame.Window.ChipFrame.type.text, frame.Window.ChipFrame.manufacturer.text);
    SelectFirst(frame, ChipList::Name);
    ApplyChipName(frame);
}

void RunChangeHandler(const ChipFrameContext& frame, ChipList list) {
    switch (list) {
    case ChipList::Type: ApplyChipType(frame); break;
    case ChipList::Manufacturer: ManufacturerChanged(frame); break;
    case ChipList::Name: ApplyChipName(frame); break;
    }
}

// While an operation runs, or when the person keeps unsaved edits that a new
// chip's buffer would replace, the frame keeps its state; the widgets are
// shown what they held before the person's change. Choosing the chip that is
// already selected replaces nothing.
bool Refused(const ChipFrameContext& frame, const std::string* chosenName = nullptr) {
    const bool sameChip = chosenName && *chosenName == frame.Operation.Chip.PrjInfo.ChipName;
    const bool keepsBuffer = sameChip || frame.Window.ChipFrameInProjectDialog;
    if (!frame.Operation.Busy.Running && (keepsBuffer || ConfirmDiscardEdits(frame.Operation.Buffer))) return false;
    for (ChipList list : {ChipList::Type, ChipList::Manufacturer, ChipList::Name}) Show(frame, list);
    return true;
}

}  // namespace

void NewChipBuffer(const ChipFrameContext& frame, uint32_t capacity) {
    if (frame.Window.ChipFrameInProjectDialog) return;
    NewChipBuffer(frame.Operation.Buffer, capacity);
    frame.Operation.Device.DevInf.SuccessCount = 0;
    frame.Operation.Device.DevInf.FailCount = 0;
}

void ApplyChipType(const ChipFrameContext& frame) {
    const std::string type = frame.Window.ChipFrame.type.text;
    frame.View.SetDetectEnabled(DetectButton::Frame, FamilyNamed(type).detects);
    FillManufacturerList(frame, type);
    SelectFirst(frame, ChipList::Manufacturer);
    FillNameList(frame, type, frame.Window.ChipFrame.manufacturer.text);
    SelectFirst(frame, ChipList::Name);
    ApplyChipName(frame);
}

void FillTypeList(const ChipFrameContext& frame, const std::vector<std::string>& types) {
    SetItems(frame, ChipList::Type, types);
}

bool FindListItem(const ChipFrameContext& frame, ChipList list, const std::string& text) {
    ChipListState& state = frame.Window.ChipFrame[list];
    const auto found = std::find(state.items.begin(), state.items.end(), text);
    if (found == state.items.end()) {
        state.index = -1;
        state.text.clear();
    } else {
        state.index = static_cast<int>(found - state.items.begin());
        state.text = *found;
    }
    Show(frame, list);
    return state.index >= 0;
}

void FillManufacturerList(const ChipFrameContext& frame, const std::string& type) {
    SetItems(frame, ChipList::Manufacturer, frame.Operation.Chip.database().ManufacturerListQuery(type));
}

void FillNameList(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer, bool byCapacity) {
    ChipDatabase& db = frame.Operation.Chip.database();
    SetItems(frame, ChipList::Name,
             byCapacity ? db.NameListQuery(type, manufacturer) : db.StartupNameListQuery(type, manufacturer));
}

void ApplyChipName(const ChipFrameContext& frame) {
    const std::string name = frame.Window.ChipFrame.name.text;
    const std::vector<ChipRow> rows = frame.Operation.Chip.database().ChipRowQuery(name);
    // A name without a row selects a chip whose every parameter is 0.
    const ChipRow row = rows.empty() ? ChipRow{} : rows.front();
    Prj_Info_Struct& prj = frame.Operation.Chip.PrjInfo;
    ChipFrameView& view = frame.View;

    CopyChipParameters(row, prj);
    view.SetCapacityText(CapacityText(SizeOf(row.Capacity)));
    view.SetPageSizeText(FormatSize(SizeOf(row.PageSize)));
    if (row.OTPSize >= 1) view.SetOtpSizeText(FormatSize(SizeOf(row.OTPSize)));
    view.SetOtpSizeVisible(prj.OTPSize != 0);
    view.SetVoltageText(VoltageText(row.Voltage));
    view.SetVoltageNoteVisible(false);
    view.SetSocketPicture(row.Voltage == 1800 ? SocketPicture::Socket18V : SocketPicture::Pinout);

    // The same chip again keeps what the buffer holds.
    if (prj.ChipName != name) {
        prj.ChipName = name;
        NewChipBuffer(frame, prj.Capacity);
    }
    SendChipSelection(frame);
}

void SendChipSelection(const ChipFrameContext& frame) {
    const Prj_Info_Struct& prj = frame.Operation.Chip.PrjInfo;
    if (!frame.Operation.Device.Link.Uart.Connected || prj.ChipName.empty()) return;
    SelectChip(frame.Operation.Device.Link, ChipSelection{static_cast<uint8_t>(prj.ChipTypeCode), prj.VoltageCode, prj.ChipPara,
                                                  prj.ChipPara1, prj.PageSize, prj.Capacity});
}

bool ChooseChipType(const ChipFrameContext& frame) {
    if (Refused(frame)) return false;
    ApplyChipType(frame);
    return true;
}

bool ChooseMaker(const ChipFrameContext& frame) {
    if (Refused(frame)) return false;
    ManufacturerChanged(frame);
    return true;
}

bool ChooseChipName(const ChipFrameContext& frame) {
    if (Refused(frame, &frame.Window.ChipFrame.name.text)) return false;
    ApplyChipName(frame);
    return true;
}

bool ChooseListItem(const ChipFrameContext& frame, ChipList list, int index) {
    ChipListState& state = frame.Window.ChipFrame[list];
    if (index < 0 || index >= static_cast<int>(state.items.size())) {
        if (frame.Operation.Busy.Running) Refused(frame);  // shows the lists as they were
        return false;
    }
    const std::string* name = list == ChipList::Name ? &state.items[static_cast<size_t>(index)] : nullptr;
    if (Refused(frame, name)) return false;
    state.index = index;
    state.text = state.items[static_cast<size_t>(index)];
    Show(frame, list);
    RunChangeHandler(frame, list);
    return true;
}

bool TypeListText(const ChipFrameContext& frame, ChipList list, const std::string& text) {
    if (list == ChipList::Name) return TypeChipName(frame, text);
    if (Refused(frame)) return false;
    ChipListState& state = frame.Window.ChipFrame[list];
    const auto found = std::find(state.items.begin(), state.items.end(), text);
    state.index = found == state.items.end() ? -1 : static_cast<int>(found - state.items.begin());
    state.text = text;
    Show(frame, list);
    RunChangeHandler(frame, list);
    return true;
}

bool SelectChipByName(const ChipFrameContext& frame, const std::string& name) {
    if (Refused(frame, &name)) return false;
    const std::vector<ChipRow> rows = frame.Operation.Chip.database().ChipRowQuery(name);
    if (rows.empty()) return false;
    PutNamedChip(frame, rows.front());
    return true;
}

bool TypeChipName(const ChipFrameContext& frame, const std::string& text) {
    const std::vector<ChipRow> rows = frame.Operation.Chip.database().ChipRowQuery(text);
    if (rows.empty()) {
        // A chip of zeros would leave nothing to read or write: keep the chip.
        if (!frame.Operation.Busy.Running) {
            const std::string& kept = frame.Operation.Chip.PrjInfo.ChipName;
            const int language = frame.Operation.Texts.Language;
            frame.Operation.Views.messages->ShowWarning(
                kept.empty() ? Text(language, TextId::ChipNameNotInDatabaseNoneKept, {text})
                             : Text(language, TextId::ChipNameNotInDatabase, {text, kept}));
        }
        for (ChipList list : {ChipList::Type, ChipList::Manufacturer, ChipList::Name}) Show(frame, list);
        return false;
    }
    if (Refused(frame, &rows.front().ChipName)) return false;
    PutNamedChip(frame, rows.front());
    return true;
}

void PutNamedChip(const ChipFrameContext& frame, const ChipRow& row) {
    if (FindListItem(frame, ChipList::Type, row.ChipType)) {
        FillManufacturerList(frame, row.ChipType);
        if (FindListItem(frame, ChipList::Manufacturer, row.ManufName)) {
            FillNameList(frame, row.ChipType, row.ManufName);
            FindListItem(frame, ChipList::Name, row.ChipName);
        }
    }
    // The name as stored: a name typed in other letter case finds its row.
    ChipListState& names = frame.Window.ChipFrame.name;
    if (names.text != row.ChipName) {
        names.index = -1;
        names.text = row.ChipName;
        Show(frame, ChipList::Name);
    }
    ApplyChipName(frame);
}

bool SelectChipInFrame(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer,
                       const std::string& name) {
    return !Refused(frame, &name) && PutChipInFrame(frame, type, manufacturer, name);
}

bool PutChipInFrame(const ChipFrameContext& frame, const std::string& type, const std::string& manufacturer,
                    const std::string& name) {
    if (!FindListItem(frame, ChipList::Type, type)) return false;
    FillManufacturerList(frame, type);
    if (!FindListItem(frame, ChipList::Manufacturer, manufacturer)) return false;
    FillNameList(frame, type, manufacturer);
    if (!FindListItem(frame, ChipList::Name, name)) return false;
    ApplyChipName(frame);
    return true;
}

void RefreshChipLists(const ChipFrameContext& frame) {
    const ChipFrameLists shown = frame.Window.ChipFrame;
    if (shown.type.index < 0) return;
    FillManufacturerList(frame, shown.type.text);
    FindListItem(frame, ChipList::Manufacturer, shown.manufacturer.text);
    FillNameList(frame, shown.type.text, frame.Window.ChipFrame.manufacturer.text);
    FindListItem(frame, ChipList::Name, shown.name.text);
}

ChipRestore RestoreLastChip(const ChipFrameContext& frame) {
    const std::vector<ChipRow> rows = frame.Operation.Chip.database().ChipRowQuery(frame.Operation.Chip.PrjInfo.ChipName);
    if (rows.empty()) return ChipRestore::NoRow;
    const ChipRow& row = rows.front();
    if (!FindListItem(frame, ChipList::Type, row.ChipType)) return ChipRestore::TypeNotListed;
    frame.View.SetDetectEnabled(DetectButton::Frame, FamilyNamed(row.ChipType).detects);
    FillManufacturerList(frame, row.ChipType);
    if (!FindListItem(frame, ChipList::Manufacturer, row.ManufName)) return ChipRestore::ManufacturerNotListed;
    FillNameList(frame, row.ChipType, row.ManufName, false);
    if (!FindListItem(frame, ChipList::Name, row.ChipName)) return ChipRestore::NameNotListed;
    // An empty name makes the handler take the chip as a new one.
    frame.Operation.Chip.PrjInfo.ChipName.clear();
    ApplyChipName(frame);
    return ChipRestore::Restored;
}

}  // namespace tq
