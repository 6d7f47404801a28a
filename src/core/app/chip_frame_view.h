// The chip selection frame as the engine keeps it (the three cascading lists
// of chip type, maker and chip name) and what it shows a person: the lists,
// the chip's size and voltage texts, and the main-window controls that follow
// the chosen chip or the programmer (socket pictures, detect buttons, the
// offline project menu item, the chip search opened by detection).
#pragma once

#include <string>
#include <vector>

#include "core/chipdb/chip_row.h"

namespace tq {

enum class ChipList { Type, Manufacturer, Name };

// One editable drop-down list: its items, the selected one (-1: none) and
// the text its edit part shows (the selected item or what was typed).
struct ChipListState {
    std::vector<std::string> items;
    int index = -1;
    std::string text;
};

// cmbChipType, cmbDownChipManuf and cmbDownChipName with their design
// contents; the maker list's placeholders stay until it is first filled.
struct ChipFrameLists {
    ChipListState type{{}, -1, "选择芯片型号"};
    ChipListState manufacturer{{"旺宏", "华邦", "ATMEL"}, -1, "选择芯片厂商"};
    ChipListState name{{}, -1, "选择芯片型号"};

    ChipListState& operator[](ChipList list) {
        return list == ChipList::Type ? type : list == ChipList::Manufacturer ? manufacturer : name;
    }
};

enum class SocketPicture { Pinout, Socket18V };  // imgSocketPinout / imgSocket18V
enum class DetectButton { Main, Frame };         // sbDetect (tool bar) / sbChipDetect (frame)

class ChipFrameView {
public:
    virtual ~ChipFrameView() = default;
    // A list's items, selection and edit text changed.
    virtual void ShowList(ChipList list, const ChipListState& state) = 0;
    virtual void SetCapacityText(const std::string& text) = 0;  // ledtChipValue
    virtual void SetPageSizeText(const std::string& text) = 0;  // ledtPageSize
    virtual void SetVoltageText(const std::string& text) = 0;   // ledtChipVoltage
    virtual void SetOtpSizeText(const std::string& text) = 0;   // ledtChipOTPSize
    virtual void SetOtpSizeVisible(bool visible) = 0;
    virtual void SetVoltageNoteVisible(bool visible) = 0;  // labelVoltageNote
    virtual void SetSocketPicture(SocketPicture picture) = 0;
    virtual void SetDetectEnabled(DetectButton button, bool enabled) = 0;
    // MenuPrjOffline: hidden and disabled whenever a programmer connects.
    virtual void SetOfflineProjectMenuVisible(bool visible) = 0;
    // Detection found several chips with one ID: the chip search dialog
    // opens listing exactly these rows; the person picks one there.
    virtual void OpenChipSearch(const std::vector<ChipRow>& candidates) = 0;
};

class NullChipFrameView final : public ChipFrameView {
public:
    void ShowList(ChipList, const ChipListState&) override {}
    void SetCapacityText(const std::string&) override {}
    void SetPageSizeText(const std::string&) override {}
    void SetVoltageText(const std::string&) override {}
    void SetOtpSizeText(const std::string&) override {}
    void SetOtpSizeVisible(bool) override {}
    void SetVoltageNoteVisible(bool) override {}
    void SetSocketPicture(SocketPicture) override {}
    void SetDetectEnabled(DetectButton, bool) override {}
    void SetOfflineProjectMenuVisible(bool) override {}
    void OpenChipSearch(const std::vector<ChipRow>&) override {}
};

}  // namespace tq
