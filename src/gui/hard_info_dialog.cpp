#include "gui/hard_info_dialog.h"

#include <QFormLayout>
#include <QPushButton>

#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"
#include "gui/main_window.h"

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
        ShowAsReadOnly(*fields_[i]);
        fields_[i]->setFrame(false);
        fields_[i]->setMinimumWidth(200);
        labels_[i] = new QLabel(this);
        labels_[i]->setObjectName(QString(names[i]) + ".EditLabel");
        form->addRow(labels_[i], fields_[i]);
    }
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons_);
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
    if (const auto* window = qobject_cast<const MainWindow*>(parentWidget()))
        buttons_->button(QDialogButtonBox::Close)->setText(QString::fromStdString(Text(window->language(), TextId::CloseCommand)));
    ShowDialog(*this);
}

}  // namespace tq::gui
