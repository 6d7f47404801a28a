#include "gui/file_edit_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A line edit's "no limit".
constexpr int kUnlimited = 32767;

}  // namespace

FileEditForm::FileEditForm(QWidget* window) : QDialog(window) {
    setObjectName("TfrmFileEdit");
    // No system menu and no close box: OK and Cancel close it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(16, 14, 16, 12);
    grid->setHorizontalSpacing(8);
    rows_[0] = AddRow("lbeInputValue1", 0);
    rows_[1] = AddRow("lbeInputValue2", 1);
    rows_[2] = AddRow("lbeInputValue3", 2);
    rows_[2].edit->setFixedWidth(40);  // the narrow value field
    random_ = new QCheckBox(this);
    random_->setObjectName("chkInputValueRandom");
    grid->addWidget(random_, 2, 2);
    // OK and Cancel in the platform's order.
    auto* buttons = new QDialogButtonBox(this);
    ok_ = new QPushButton(this);
    ok_->setObjectName("btnFileInportOK");
    ok_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("btnFileInportCancel");
    buttons->addButton(ok_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    // The fields at the top, the buttons at the bottom.
    grid->setRowStretch(3, 1);
    grid->addWidget(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(random_, &QCheckBox::clicked, this, [this](bool checked) {
        SetRandomFill(state_, checked);
        rows_[2].edit->setEnabled(state_.Field3.enabled);
    });
    // Cancel and Esc close it alike.
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { CloseBufferDialog(state_); });
    connect(ok_, &QPushButton::clicked, this, &FileEditForm::okClicked);
    Apply(state_);
}

FileEditForm::Row FileEditForm::AddRow(const char* name, int row) {
    auto* grid = static_cast<QGridLayout*>(layout());
    Row made{new QLabel(this), new QLineEdit(this)};
    made.label->setObjectName(QString(name) + "Label");
    made.edit->setObjectName(name);
    made.label->setBuddy(made.edit);
    // Typed letters are upper case, as the engine reads them.
    connect(made.edit, &QLineEdit::textEdited, made.edit, [edit = made.edit](const QString& text) {
        if (text == text.toUpper()) return;
        const int cursor = edit->cursorPosition();
        edit->setText(text.toUpper());
        edit->setCursorPosition(cursor);
    });
    grid->addWidget(made.label, row, 0);
    grid->addWidget(made.edit, row, 1, 1, row == 2 ? 1 : 2, row == 2 ? Qt::AlignLeft : Qt::Alignment{});
    return made;
}

void FileEditForm::ShowField(const Row& row, const DialogField& field) {
    row.label->setText(Q(field.label));
    row.edit->setMaxLength(field.maxLength > 0 ? field.maxLength : kUnlimited);
    row.edit->setText(Q(field.text));
    row.edit->setEnabled(field.enabled);
    row.label->setVisible(field.visible);
    row.edit->setVisible(field.visible);
}

void FileEditForm::Apply(const FileEditDialog& state) {
    state_ = state;
    setWindowTitle(Q(state.Caption));
    ShowField(rows_[0], state.Field1);
    ShowField(rows_[1], state.Field2);
    ShowField(rows_[2], state.Field3);
    random_->setText(Q(state.RandomCaption));
    random_->setChecked(state.RandomChecked);
    random_->setVisible(state.RandomVisible);
    ok_->setText(Q(state.OkCaption));
    cancel_->setText(Q(state.CancelCaption));
    // 348 x 179 as designed, wider where a language's labels need it.
    layout()->activate();
    setFixedSize(sizeHint().expandedTo(QSize(348, 179)));
    setVisible(state.Visible);
}

void FileEditForm::Present(const FileEditDialog& state) {
    Apply(state);
    if (QWidget* window = parentWidget()) move(window->geometry().center() - rect().center());
    raise();
    activateWindow();
    rows_[0].edit->setFocus();
    rows_[0].edit->selectAll();
}

FileEditDialog FileEditForm::Typed() const {
    FileEditDialog typed = state_;
    typed.Field1.text = rows_[0].edit->text().toStdString();
    typed.Field2.text = rows_[1].edit->text().toStdString();
    typed.Field3.text = rows_[2].edit->text().toStdString();
    typed.RandomChecked = random_->isChecked();
    return typed;
}

}  // namespace tq::gui
