#include "gui/file_combin_dialog.h"
#include "core/texts/text_catalogue.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kNameColumn = 1, kStartColumn = 2, kEndColumn = 3, kColumns = 5;

// The start cell's editor reports every keystroke, not only the finished text.
class StartDelegate final : public QStyledItemDelegate {
public:
    explicit StartDelegate(FileCombinForm* form) : QStyledItemDelegate(form), form_(form) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(8);
        const int row = index.row();
        connect(edit, &QLineEdit::textEdited, form_, [this, edit, row](const QString& text) {
            if (text != text.toUpper()) {
                const int cursor = edit->cursorPosition();
                edit->setText(text.toUpper());
                edit->setCursorPosition(cursor);
            }
            form_->StartTyped(row, edit->text());
        });
        return edit;
    }

private:
    FileCombinForm* form_;
};

}  // namespace

FileCombinForm::FileCombinForm(QWidget* window, FileDialogView& dialogs, MessageView& messages)
    : QDialog(window), dialogs_(dialogs), messages_(messages) {
    setObjectName("TfrmFileCombin");
    setModal(false);
    auto* row = new QHBoxLayout(this);
    grid_ = new QTableWidget(0, kColumns, this);
    grid_->setObjectName("sgFileCombin");
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(24);  // four file rows fit below the titles
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int widths[] = {40, 280, 110, 110};
    for (int column = 0; column < 4; ++column) grid_->setColumnWidth(column, widths[column]);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setItemDelegateForColumn(kStartColumn, new StartDelegate(this));
    grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid_->setFixedSize(550, 130);
    row->addWidget(grid_);

    auto* side = new QVBoxLayout;
    auto* add = add_ = new QPushButton(this);
    add->setObjectName("btnMergeAddFile");
    auto* remove = remove_ = new QPushButton(this);
    remove->setObjectName("btnMergeDelFile");
    auto* fillRow = new QHBoxLayout;
    auto* fillLabel = fillLabel_ = new QLabel(this);
    fill_ = new QLineEdit(kMergeDefaultFill, this);
    fill_->setObjectName("lableBlankChar");
    fill_->setMaxLength(8);  // more than two digits is refused with its own message
    fill_->setFixedWidth(48);
    fillLabel->setBuddy(fill_);
    fillRow->addWidget(fillLabel);
    fillRow->addWidget(fill_);
    auto* merge = merge_ = new QPushButton(this);
    merge->setObjectName("btnMergeMergeFile");
    side->addWidget(add);
    side->addWidget(remove);
    side->addLayout(fillRow);
    side->addWidget(merge);
    side->addStretch(1);
    row->addLayout(side);

    connect(add, &QPushButton::clicked, this, [this] {
        if (ChooseAndAddMergeFile(list_, dialogs_, messages_, language_)) ShowList();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (list_.RemoveLast()) ShowList();
    });
    connect(merge, &QPushButton::clicked, this, &FileCombinForm::mergeClicked);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetLanguage(language_);
}

void FileCombinForm::SetLanguage(int language) {
    language_ = language;
    const TextPicker text(language);
    setWindowTitle(Q(text(TextId::MergeDialogTitle)));
    grid_->setHorizontalHeaderLabels({Q(text(TextId::MergeColumnNumber)), Q(text(TextId::MergeColumnFile)),
                                      Q(text(TextId::MergeColumnStart)), Q(text(TextId::MergeColumnEnd)), QString()});
    add_->setText(Q(text(TextId::MergeAddFile)));
    remove_->setText(Q(text(TextId::MergeRemoveFile)));
    fillLabel_->setText(Q(text(TextId::MergeFillLabel)));
    merge_->setText(Q(text(TextId::MergeRun)));
}

void FileCombinForm::Present() {
    if (QWidget* window = parentWidget()) move(window->geometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

void FileCombinForm::StartTyped(int row, const QString& text) {
    list_.SetStartText(static_cast<std::size_t>(row), text.toStdString());
    if (QTableWidgetItem* end = grid_->item(row, kEndColumn))
        end->setText(Q(list_.rows()[static_cast<std::size_t>(row)].endText));
}

void FileCombinForm::ShowList() {
    const auto& rows = list_.rows();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const MergeFileRow& entry = rows[static_cast<std::size_t>(r)];
        const QString cells[kColumns] = {Q(entry.number), Q(entry.fileName), Q(entry.startText), Q(entry.endText), {}};
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column == kStartColumn) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (column == kNameColumn) item->setToolTip(cells[column]);
            grid_->setItem(r, column, item);
        }
    }
}

}  // namespace tq::gui
