// The hardware information dialog TfrmHardInfo: the connected programmer's
// name, serial number, firmware and hardware versions as the presence poll
// read them, with the labels of the current language file. The values are
// shown, not edited: read-only fields without a frame, whose text can still
// be selected and copied. Its one button closes it.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "core/operations/hardware_info.h"

namespace tq::gui {

class HardInfoDialog final : public QDialog {
    Q_OBJECT
public:
    explicit HardInfoDialog(QWidget* parent);
    void Open(const HardInfoTexts& info);

private:
    // lbeHardInfoDevName, lbeHardInfoSN, lbeHardInfoFirmVer, lbeHardware
    std::array<QLineEdit*, 4> fields_{};
    std::array<QLabel*, 4> labels_{};
    QDialogButtonBox* buttons_;
};

}  // namespace tq::gui
