#include "gui/chip_find_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "core/chipdb/chip_row.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/dialog_placement.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The capacity text of a row, in the notation of every other window.
QString CapacityText(const ChipRow& row) {
    return Q(tq::CapacityText(row.Capacity > 0 ? static_cast<uint64_t>(row.Capacity) : 0));
}

constexpr int kColumnWidths[4] = {140, 125, 120, 115};  // the capacity holds "128 MiB (1024 Mbit)"

}  // namespace

int ChipSearchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(search_.Results().size());
}

int ChipSearchModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant ChipSearchModel::data(const QModelIndex& index, int role) const {
    const ChipRow* row = RowAt(index.row());
    if (!row) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case 0: return Q(row->ChipName);
    case 1: return CapacityText(*row);
    case 2: return Q(row->ManufName);
    case 3: return Q(row->ChipType);
    }
    return {};
}

QVariant ChipSearchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= 4) return {};
    return titles_[static_cast<size_t>(section)];
}

void ChipSearchModel::SetColumnTitles(const std::array<std::string, 4>& titles) {
    for (size_t i = 0; i < titles.size(); ++i) titles_[i] = Q(titles[i]);
    emit headerDataChanged(Qt::Horizontal, 0, 3);
}

void ChipSearchModel::Replace(ChipSearch search) {
    beginResetModel();
    search_ = std::move(search);
    endResetModel();
}

const ChipRow* ChipSearchModel::RowAt(int row) const {
    const std::vector<ChipRow>& rows = search_.Results();
    return row >= 0 && row < static_cast<int>(rows.size()) ? &rows[static_cast<size_t>(row)] : nullptr;
}

ChipFindDialog::ChipFindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TfrmChipFind");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    model_ = new ChipSearchModel(this);

    contentLabel_ = new QLabel(this);
    contentLabel_->setObjectName("lbeChipFindContent.EditLabel");
    content_ = new QLineEdit(this);
    content_->setObjectName("lbeChipFindContent");
    contentLabel_->setBuddy(content_);
    content_->installEventFilter(this);
    result_ = new QLabel(" ", this);
    result_->setObjectName("lbFindResult");
    result_->setMinimumWidth(150);
    note_ = new QLabel(this);
    note_->setObjectName("lbNote");
    note_->setWordWrap(true);

    grid_ = new QTableView(this);
    grid_->setObjectName("dbgChipFind");
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    for (int column = 0; column < 4; ++column) grid_->setColumnWidth(column, kColumnWidths[column]);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(533, 213);
    grid_->installEventFilter(this);
    connect(grid_, &QTableView::doubleClicked, this, [this] { SelectCurrent(); });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid()) model_->search().ChooseRow(static_cast<size_t>(current.row()));
    });
    // The list follows the text as it is typed.
    connect(content_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!text.isEmpty()) emit searchRequested(text);
    });

    select_ = new QPushButton(this);
    select_->setObjectName("Button3");
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Button4");
    connect(select_, &QPushButton::clicked, this, [this] { SelectCurrent(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::hide);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(contentLabel_);
    searchRow->addWidget(content_, 1);
    searchRow->addWidget(result_);
    auto* buttons = new QDialogButtonBox(this);  // the platform's order
    buttons->addButton(select_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    auto* column = new QVBoxLayout(this);
    column->addLayout(searchRow);
    column->addWidget(note_);
    column->addWidget(grid_, 1);
    column->addWidget(buttons);
    resize(547, 329);
}

void ChipFindDialog::ApplyTexts(int language) {
    const ChipSearchTexts texts = ChipSearchDialogTexts(language);
    setWindowTitle(Q(texts.caption));
    contentLabel_->setText(Q(texts.nameLabel));
    note_->setText(Q(texts.note));
    chooseRowText_ = Q(texts.chooseRow);
    noteText_ = Q(texts.note);
    model_->SetColumnTitles(texts.columnTitles);
    // The buttons' design texts, in the current language.
    select_->setText(Q(Text(language, TextId::SelectCommand)));
    cancel_->setText(Q(Text(language, TextId::CancelCommand)));
}

void ChipFindDialog::Open(int language) {
    ApplyTexts(language);
    model_->search().Open();
    result_->setText(Q(model_->search().ResultCountText()));
    ShowDialog(*this);
    content_->setFocus();
}

void ChipFindDialog::OpenWith(std::vector<ChipRow> candidates, int language) {
    Open(language);
    ChipSearch search;
    search.ShowCandidates(std::move(candidates), language);
    ShowResults(std::move(search));
    grid_->setFocus();
}

void ChipFindDialog::ShowResults(ChipSearch search) {
    const std::optional<size_t> chosen = search.ChosenRow();
    model_->Replace(std::move(search));
    result_->setText(Q(model_->search().ResultCountText()));
    note_->setText(noteText_);
    // Only a row named exactly as typed is highlighted: Enter takes what is shown.
    grid_->selectionModel()->clear();
    if (chosen) grid_->selectRow(static_cast<int>(*chosen));
}

void ChipFindDialog::SetBusy(bool busy) {
    content_->setEnabled(!busy);
    grid_->setEnabled(!busy);
    select_->setEnabled(!busy);
}

void ChipFindDialog::SelectCurrent() {
    if (!select_->isEnabled()) return;
    const std::optional<size_t> chosen = model_->search().ChosenRow();
    const ChipRow* row = chosen ? model_->RowAt(static_cast<int>(*chosen)) : nullptr;
    if (!row) {
        note_->setText(chooseRowText_);
        return;
    }
    emit selectRequested(*row);
}

bool ChipFindDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter) {
        if (event->type() == QEvent::KeyPress) SelectCurrent();
        return true;
    }
    // Up and Down in the search text move through the rows.
    const bool upDown = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    if (watched == content_ && upDown) {
        if (event->type() == QEvent::KeyPress && model_->rowCount() > 0) {
            const int current = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
            const int next = std::clamp(current + (key->key() == Qt::Key_Down ? 1 : -1), 0, model_->rowCount() - 1);
            grid_->selectRow(next);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tq::gui
