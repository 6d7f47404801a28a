#include "gui/user_chip_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

UserChipDialogWidget::UserChipDialogWidget(QWidget* parent) : QDialog(parent) {
    setObjectName("TfrmUserImportChip");
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    count_ = new QLabel(this);
    count_->setObjectName("Label1");
    list_ = new QListWidget(this);
    list_->setObjectName("ListBox1");
    list_->setMinimumWidth(200);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit userChipClicked(list_->row(item)); });

    name_ = LabelledEdit("lbeChipName", nameLabel_);
    id_ = LabelledEdit("lbeChipID", idLabel_);
    algorithmLabel_ = new QLabel(this);
    algorithmLabel_->setObjectName("lbAlgorithmName");
    algorithm_ = new QComboBox(this);
    algorithm_->setObjectName("cmbSuanFa");
    algorithm_->setEditable(true);
    algorithm_->setInsertPolicy(QComboBox::NoInsert);
    algorithmLabel_->setBuddy(algorithm_);
    // Every change of the text, chosen or typed, shows the algorithm's capacity.
    connect(algorithm_, &QComboBox::currentTextChanged, this, [this](const QString& text) { emit algorithmChanged(text); });
    capacity_ = LabelledEdit("lbeCapcity", capacityLabel_);
    ShowAsReadOnly(*capacity_);  // follows the algorithm
    maker_ = LabelledEdit("lbeManauf", makerLabel_);

    auto* form = new QFormLayout;
    form->addRow(nameLabel_, name_);
    form->addRow(idLabel_, id_);
    form->addRow(algorithmLabel_, algorithm_);
    form->addRow(capacityLabel_, capacity_);
    form->addRow(makerLabel_, maker_);

    const std::pair<QPushButton**, std::pair<const char*, UserChipCommand>> buttons[] = {
        {&add_, {"btnAdd", UserChipCommand::Add}},          {&modify_, {"btnModify", UserChipCommand::Modify}},
        {&delete_, {"btnDelete", UserChipCommand::Delete}}, {&export_, {"btnExport", UserChipCommand::Export}},
        {&import_, {"btnImport", UserChipCommand::Import}}};
    auto* commands = new QGridLayout;
    int position = 0;
    for (const auto& [button, what] : buttons) {
        *button = new QPushButton(this);
        (*button)->setObjectName(what.first);
        (*button)->setAutoDefault(false);
        const UserChipCommand command = what.second;
        connect(*button, &QPushButton::clicked, this, [this, command] { emit commandRequested(command); });
        commands->addWidget(*button, position / 3, position % 3);
        ++position;
    }
    close_ = new QPushButton(this);
    close_->setObjectName("btnClose");
    close_->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, &QDialog::hide);
    // Close apart from the commands, where the platform puts it.
    auto* closing = new QDialogButtonBox(this);
    closing->addButton(close_, QDialogButtonBox::RejectRole);

    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addStretch(1);
    right->addLayout(commands);
    right->addWidget(closing);
    auto* left = new QVBoxLayout;
    left->addWidget(count_);
    left->addWidget(list_, 1);
    auto* row = new QHBoxLayout(this);
    row->addLayout(left, 2);
    row->addLayout(right, 3);
    resize(530, 312);
}

QLineEdit* UserChipDialogWidget::LabelledEdit(const char* name, QLabel*& label) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    label = new QLabel(this);
    label->setObjectName(QString(name) + ".EditLabel");
    label->setBuddy(edit);
    return edit;
}

void UserChipDialogWidget::Open(const UserChipDialog& state, const UserChipTexts& texts, int language) {
    setWindowTitle(Q(texts.caption));
    nameLabel_->setText(Q(texts.nameLabel));
    idLabel_->setText(Q(texts.idLabel));
    algorithmLabel_->setText(Q(texts.algorithmLabel));
    capacityLabel_->setText(Q(texts.capacityLabel));
    makerLabel_->setText(Q(texts.manufacturerLabel));
    add_->setText(Q(texts.add));
    modify_->setText(Q(texts.modify));
    delete_->setText(Q(texts.remove));
    close_->setText(Q(texts.close));
    export_->setText(Q(Text(language, TextId::ExportUserChipsCommand)));
    import_->setText(Q(Text(language, TextId::ImportUserChipsCommand)));
    {
        const QSignalBlocker block(algorithm_);
        algorithm_->clear();
        for (const std::string& name : state.Algorithms()) algorithm_->addItem(Q(name));
    }
    Show(state);
    ShowDialog(*this, true);  // centred on the screen
}

void UserChipDialogWidget::Show(const UserChipDialog& state) {
    state_ = state;
    count_->setText(Q(state.CountLabel()));
    list_->clear();
    for (const std::string& name : state.UserChips()) list_->addItem(Q(name));
    list_->setCurrentRow(state.SelectedUserChip());
    name_->setText(Q(state.chipName));
    id_->setText(Q(state.chipId));
    capacity_->setText(Q(state.capacity));
    maker_->setText(Q(state.manufacturer));
    const QSignalBlocker block(algorithm_);
    algorithm_->setCurrentIndex(algorithm_->findText(Q(state.algorithm)));
    algorithm_->setEditText(Q(state.algorithm));
}

void UserChipDialogWidget::ShowCapacity(const std::string& capacity) {
    state_.capacity = capacity;
    capacity_->setText(Q(capacity));
}

UserChipDialog UserChipDialogWidget::Edited() const {
    UserChipDialog state = state_;
    state.chipName = name_->text().toStdString();
    state.chipId = id_->text().toStdString();
    state.algorithm = algorithm_->currentText().toStdString();
    state.manufacturer = maker_->text().toStdString();
    return state;
}

void UserChipDialogWidget::SetBusy(bool busy) {
    for (QWidget* widget : std::initializer_list<QWidget*>{list_, name_, id_, algorithm_, maker_, add_, modify_, delete_,
                                                            export_, import_})
        widget->setEnabled(!busy);
}

}  // namespace tq::gui
