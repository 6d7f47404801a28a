#include "gui/chip_frame_widget.h"

#include <QCompleter>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "gui/dialog_placement.h"

namespace tq::gui {

ChipFrameWidget::ChipFrameWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("frameChipInfoMain");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* chip = new QGroupBox(this);
    chip->setObjectName("gbChipInfo");
    auto* grid = new QGridLayout(chip);
    find_ = new QPushButton(chip);
    find_->setObjectName("sbChipFind");
    connect(find_, &QPushButton::clicked, this, &ChipFrameWidget::findClicked);
    grid->addWidget(find_, 0, 1, Qt::AlignRight);
    const std::array<std::pair<ChipList, const char*>, 3> lists{
        {{ChipList::Type, "cmbChipType"}, {ChipList::Manufacturer, "cmbDownChipManuf"},
         {ChipList::Name, "cmbDownChipName"}}};
    const std::array<const char*, 3> labels{"lableChipType", "lableManauf", "lableChipName"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(chip);
        label->setObjectName(labels[i]);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(MakeList(lists[i].first, lists[i].second), i + 1, 1);
    }
    auto* capTitle = new QLabel(chip);
    capTitle->setObjectName("ledtChipCapTitle");
    capacity_ = new QLabel(chip);
    capacity_->setObjectName("ledtChipValue");
    grid->addWidget(capTitle, 4, 0);
    grid->addWidget(capacity_, 4, 1);
    grid->setColumnStretch(1, 1);
    outer->addWidget(chip);

    auto* info = new QGroupBox(this);
    info->setObjectName("gbChipInfoDesc");
    auto* form = new QFormLayout(info);
    pageSize_ = MakeReadOnly("ledtPageSize", info);
    voltage_ = MakeReadOnly("ledtChipVoltage", info);
    otpSize_ = MakeReadOnly("ledtChipOTPSize", info);
    QLineEdit* edits[3] = {pageSize_, voltage_, otpSize_};
    for (QLineEdit* edit : edits) {
        auto* label = new QLabel(info);
        label->setObjectName(edit->objectName() + ".EditLabel");
        form->addRow(label, edit);
        if (edit == otpSize_) otpLabel_ = label;
    }
    voltageNote_ = new QLabel(info);
    voltageNote_->setObjectName("labelVoltageNote");
    voltageNote_->hide();
    detect_ = new QPushButton(info);
    detect_->setObjectName("sbChipDetect");
    detect_->setEnabled(false);
    connect(detect_, &QPushButton::clicked, this, &ChipFrameWidget::detectClicked);
    form->addRow(voltageNote_, detect_);
    outer->addWidget(info);

    // The design contents until the engine shows its lists.
    ChipFrameLists design;
    for (ChipList list : {ChipList::Type, ChipList::Manufacturer, ChipList::Name}) ShowList(list, design[list]);
}

QComboBox* ChipFrameWidget::MakeList(ChipList list, const char* name) {
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(12);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* completer = new QCompleter(box->model(), box);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    box->setCompleter(completer);
    combos_[static_cast<int>(list)] = box;
    connect(box, &QComboBox::activated, this, [this, list](int index) {
        shownText_[static_cast<int>(list)] = combo(list)->itemText(index);
        emit itemChosen(list, index);
    });
    connect(box->lineEdit(), &QLineEdit::editingFinished, this, [this, list] { TakeTypedText(list); });
    return box;
}

QLineEdit* ChipFrameWidget::MakeReadOnly(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    ShowAsReadOnly(*edit);
    return edit;
}

// Enter and leaving the box both end an edit; only a text the engine does
// not already show is a new choice.
void ChipFrameWidget::TakeTypedText(ChipList list) {
    const QString text = combo(list)->currentText();
    QString& shown = shownText_[static_cast<int>(list)];
    if (text == shown) return;
    shown = text;
    emit textTyped(list, text);
}

void ChipFrameWidget::ShowList(ChipList list, const ChipListState& state) {
    QStringList items;
    for (const std::string& item : state.items) items << QString::fromStdString(item);
    const QString text = QString::fromStdString(state.text);
    QComboBox* box = combo(list);
    const QSignalBlocker block(box);
    const QSignalBlocker blockEdit(box->lineEdit());
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(state.index);
    box->setEditText(text);
    shownText_[static_cast<int>(list)] = text;
}

void ChipFrameWidget::SetCapacityText(const std::string& text) {
    capacity_->setText(QString::fromStdString(text));
}

void ChipFrameWidget::SetPageSizeText(const std::string& text) {
    pageSize_->setText(QString::fromStdString(text));
}

void ChipFrameWidget::SetVoltageText(const std::string& text) {
    voltage_->setText(QString::fromStdString(text));
}

void ChipFrameWidget::SetOtpSizeText(const std::string& text) {
    otpSize_->setText(QString::fromStdString(text));
}

void ChipFrameWidget::SetOtpSizeVisible(bool visible) {
    otpSize_->setVisible(visible);
    otpLabel_->setVisible(visible);
}

void ChipFrameWidget::SetVoltageNoteVisible(bool visible) {
    voltageNote_->setVisible(visible);
}

void ChipFrameWidget::SetSocketPicture(tq::SocketPicture picture) {
    emit socketPictureChanged(picture);
}

void ChipFrameWidget::SetDetectEnabled(DetectButton button, bool enabled) {
    if (button == DetectButton::Frame) {
        detectSupported_ = enabled;
        detect_->setEnabled(enabled && choosingEnabled_);
    } else {
        emit mainDetectEnabledChanged(enabled);
    }
}

void ChipFrameWidget::SetOfflineProjectMenuVisible(bool visible) {
    emit offlineProjectMenuVisibleChanged(visible);
}

void ChipFrameWidget::OpenChipSearch(const std::vector<ChipRow>& candidates) {
    emit chipSearchOffered(candidates);
}

void ChipFrameWidget::SetChoosingEnabled(bool enabled) {
    choosingEnabled_ = enabled;
    for (QComboBox* box : combos_) box->setEnabled(enabled);
    find_->setEnabled(enabled);
    detect_->setEnabled(enabled && detectSupported_);
}

}  // namespace tq::gui
