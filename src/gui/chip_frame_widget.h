// The chip selection frame (frameChipInfoMain): three editable lists of chip
// type, maker and name, the chip's size, page size, voltage and OTP size,
// and the find and detect buttons. It shows what the engine's frame holds;
// a person's choice is handed on as a signal (the window runs the handler on
// the worker). A typed text counts on Enter, on leaving the box or on picking
// an item, never on every keystroke.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "core/app/chip_frame_view.h"

namespace tq::gui {

class ChipFrameWidget final : public QWidget, public ChipFrameView {
    Q_OBJECT
public:
    explicit ChipFrameWidget(QWidget* parent = nullptr);

    void ShowList(ChipList list, const ChipListState& state) override;
    void SetCapacityText(const std::string& text) override;
    void SetPageSizeText(const std::string& text) override;
    void SetVoltageText(const std::string& text) override;
    void SetOtpSizeText(const std::string& text) override;
    void SetOtpSizeVisible(bool visible) override;
    void SetVoltageNoteVisible(bool visible) override;
    void SetSocketPicture(tq::SocketPicture picture) override;
    void SetDetectEnabled(DetectButton button, bool enabled) override;
    void SetOfflineProjectMenuVisible(bool visible) override;
    void OpenChipSearch(const std::vector<ChipRow>& candidates) override;

    QComboBox* combo(ChipList list) const { return combos_[static_cast<int>(list)]; }
    // While an operation runs a person cannot change the chip.
    void SetChoosingEnabled(bool enabled);

signals:
    void itemChosen(tq::ChipList list, int index);
    void textTyped(tq::ChipList list, const QString& text);
    void findClicked();
    void detectClicked();
    void socketPictureChanged(tq::SocketPicture picture);
    void mainDetectEnabledChanged(bool enabled);
    void offlineProjectMenuVisibleChanged(bool visible);
    void chipSearchOffered(const std::vector<tq::ChipRow>& candidates);

private:
    QComboBox* MakeList(ChipList list, const char* name);
    QLineEdit* MakeReadOnly(const char* name, QWidget* parent);
    void TakeTypedText(ChipList list);

    std::array<QComboBox*, 3> combos_{};
    std::array<QString, 3> shownText_;  // what the engine last showed, to ignore unchanged texts
    bool detectSupported_ = false;
    bool choosingEnabled_ = true;
    QLabel* capacity_;
    QLineEdit* pageSize_;
    QLineEdit* voltage_;
    QLineEdit* otpSize_;
    QLabel* otpLabel_;
    QLabel* voltageNote_;
    QPushButton* find_;
    QPushButton* detect_;
};

}  // namespace tq::gui
