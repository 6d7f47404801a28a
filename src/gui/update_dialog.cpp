#include "gui/update_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"

namespace tq::gui {

UpdateDialog::UpdateDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TfrmUpdate");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    bootReady_ = new QCheckBox(this);
    bootReady_->setObjectName("chkBootReady");
    start_ = new QPushButton(this);
    start_->setObjectName("btnStartIAP");
    connect(start_, &QPushButton::clicked, this, &UpdateDialog::btnStartIAPClicked);
    warning_ = new QLabel(this);
    warning_->setObjectName("labelIAPWarning");
    warning_->setWordWrap(true);
    warning_->setStyleSheet("color: rgb(255,0,0);");
    bar_ = new QProgressBar(this);
    bar_->setObjectName("pbIAPProBar");
    bar_->setValue(0);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName("memUpdateLog");
    log_->setReadOnly(true);

    auto* top = new QHBoxLayout;
    top->addWidget(bootReady_, 1);
    top->addWidget(start_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addWidget(warning_);
    column->addWidget(bar_);
    column->addWidget(log_, 1);
    resize(460, 320);
    Retranslate(0);
}

void UpdateDialog::Retranslate(int language) {
    const auto t = [language](TextId id) { return QString::fromStdString(Text(language, id)); };
    setWindowTitle(t(TextId::UpdateDialogTitle));
    bootReady_->setText(t(TextId::UpdateAlreadyInBoot));
    start_->setText(t(TextId::UpdateStartCommand));
    warning_->setText(t(TextId::UpdatePowerWarning));
}

void UpdateDialog::ClearLog() {
    log_->clear();
}

void UpdateDialog::AddLogLine(const std::string& line) {
    log_->appendPlainText(QString::fromStdString(line));
}

void UpdateDialog::SetBarMaximum(uint32_t maximum) {
    bar_->setMaximum(static_cast<int>(std::min<uint32_t>(maximum, INT32_MAX)));
}

void UpdateDialog::SetBarPosition(uint32_t position) {
    bar_->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

void UpdateDialog::CloseDialog() {
    close();
}

}  // namespace tq::gui
