#include "gui/hard_info_dialog.h"

#include <QFormLayout>

#include "gui/dialog_placement.h"

namespace tq::gui {

HardInfoDialog::HardInfoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TfrmHardInfo");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(16, 14, 16, 14);
    const char* names[4] = {"lbeHardInfoDevName", "lbeHardInfoSN", "lbeHardInfoFirmVer", "lbeHardware"};
    for (size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(names[i]);
        fields_[i]->setReadOnly(true);
        fields_[i]->setMinimumWidth(200);
        labels_[i] = new QLabel(this);
        labels_[i]->setObjectName(QString(names[i]) + ".EditLabel");
        form->addRow(labels_[i], fields_[i]);
    }
    form->setSizeConstraint(QLayout::SetFixedSize);
}

void HardInfoDialog::Open(const HardInfoTexts& info) {
    setWindowTitle(QString::fromStdString(info.title));
    const LabelledText* lines[4] = {&info.deviceName, &info.serialNumber, &info.firmwareVersion, &info.hardwareVersion};
    for (size_t i = 0; i < fields_.size(); ++i) {
        labels_[i]->setText(QString::fromStdString(lines[i]->label));
        fields_[i]->setText(QString::fromStdString(lines[i]->text));
        fields_[i]->setCursorPosition(0);
    }
    ShowDialog(*this);
}

}  // namespace tq::gui
