// The operation rig with the built chip database in its program folder, the
// chip frame's type list filled for the simulated programmer's model, and a
// recorder of everything the chip frame and its main-window companions show.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/chipdb/chip_database.h"
#include "core/app/chip_selection.h"
#include "support/operation_rig.h"

namespace tq::testing {

class RecordingChipFrame final : public ChipFrameView {
public:
    std::map<ChipList, ChipListState> lists;
    std::string capacity, pageSize, voltage, otpSize;
    std::optional<bool> otpVisible, voltageNoteVisible, offlineMenuVisible;
    std::optional<SocketPicture> socket;
    std::map<DetectButton, bool> detectEnabled;
    std::vector<std::vector<ChipRow>> searchesOpened;

    void ShowList(ChipList list, const ChipListState& state) override { lists[list] = state; }
    void SetCapacityText(const std::string& text) override { capacity = text; }
    void SetPageSizeText(const std::string& text) override { pageSize = text; }
    void SetVoltageText(const std::string& text) override { voltage = text; }
    void SetOtpSizeText(const std::string& text) override { otpSize = text; }
    void SetOtpSizeVisible(bool visible) override { otpVisible = visible; }
    void SetVoltageNoteVisible(bool visible) override { voltageNoteVisible = visible; }
    void SetSocketPicture(SocketPicture picture) override { socket = picture; }
    void SetDetectEnabled(DetectButton button, bool enabled) override { detectEnabled[button] = enabled; }
    void SetOfflineProjectMenuVisible(bool visible) override { offlineMenuVisible = visible; }
    void OpenChipSearch(const std::vector<ChipRow>& candidates) override { searchesOpened.push_back(candidates); }
};

class ChipFrameRig : public OperationRig {
public:
    RecordingChipFrame frame;

    ChipFrameRig() {
        std::filesystem::copy_file(std::filesystem::path(TQ_BIN_DIR) / "login.dat", folder.path() / "login.dat");
        session.Chip.Database = ChipDatabase::Open(folder.path() / "login.dat");
        session.Views.chipFrame = &frame;
        FillTypeList(session, session.Chip.Database->TypeListQuery("TQM7300B").types);
    }

    ChipDatabase& db() { return *session.Chip.Database; }
    const ChipFrameLists& lists() const { return session.Window.ChipFrame; }
    // Index of an item in a list of the frame, -1 when it is not there.
    int IndexOf(ChipList list, const std::string& text) {
        const std::vector<std::string>& items = session.Window.ChipFrame[list].items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == text) return static_cast<int>(i);
        return -1;
    }
    // Command 0x39 frames sent since the last ClearRecords.
    size_t SelectFrames() const { return Frames(0x39).size(); }
};

}  // namespace tq::testing
