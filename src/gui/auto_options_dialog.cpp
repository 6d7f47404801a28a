#include "gui/auto_options_dialog.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"
#include "gui/main_window.h"

namespace tq::gui {

AutoOptionsDialog::AutoOptionsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TfrmAutoSel");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 14, 24, 14);
    const char* names[5] = {"chkAutoSelIdCheck", "chkAutoSelErase", "chkAutoSelWrite", "chkAutoSelVerify",
                            "chkAutoSelVerifyTwice"};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        auto* box = new QCheckBox(this);
        box->setObjectName(names[i]);
        const auto option = static_cast<AutoOption>(i);
        connect(box, &QCheckBox::clicked, this, [this, option](bool checked) { emit optionClicked(option, checked); });
        column->addWidget(box);
        boxes_[i] = box;
    }
    box(AutoOption::IdCheck)->hide();
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addSpacing(6);
    column->addWidget(buttons_);
}

void AutoOptionsDialog::Open(const AutoSelDialog& dialog) {
    setWindowTitle(QString::fromStdString(dialog.title));
    const std::pair<const std::string*, bool> boxes[5] = {{&dialog.idCheckCaption, dialog.idCheck},
                                                          {&dialog.eraseCaption, dialog.erase},
                                                          {&dialog.writeCaption, dialog.write},
                                                          {&dialog.verifyCaption, dialog.verify},
                                                          {&dialog.verifyTwiceCaption, dialog.verifyTwice}};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i]->setText(QString::fromStdString(*boxes[i].first));
        boxes_[i]->setChecked(boxes[i].second);
    }
    if (const auto* window = qobject_cast<const MainWindow*>(parentWidget()))
        buttons_->button(QDialogButtonBox::Close)->setText(QString::fromStdString(Text(window->language(), TextId::CloseCommand)));
    // Wide enough for the caption in the title bar, whatever the language.
    const int titleWidth = fontMetrics().horizontalAdvance(windowTitle()) + 120;
    setFixedSize(sizeHint().expandedTo(QSize(std::max(240, titleWidth), 0)));
    ShowDialog(*this);
}

void AutoOptionsDialog::SetBusy(bool busy) {
    for (QCheckBox* box : boxes_) box->setEnabled(!busy);
}

}  // namespace tq::gui
