#include "gui/update_dialog.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/texts/language.h"

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
    auto t = [language](const char* simplified, const char* traditional, const char* english) {
        return QString::fromStdString(Triplet(language, simplified, traditional, english));
    };
    setWindowTitle(t("系统更新", "系統更新", "System Update"));
    bootReady_->setText(t("已处于BOOT模式，直接更新", "已處於BOOT模式，直接更新", "Already in boot mode: update directly"));
    start_->setText(t("启动更新", "啟動更新", "Start Update"));
    warning_->setText(t("注意：程序更新过程中，务必不能断电！否则，烧录器可能有不可逆损坏。    ",
                        "注意：程式更新過程中，務必不能斷電！否則，燒錄器可能有不可逆損壞。",
                        "Caution: never cut the power during the update, or the programmer may be damaged beyond "
                        "repair."));
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
