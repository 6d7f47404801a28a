// The chip search dialog TfrmChipFind: a search text, the result count, a
// four-column table of the results and Select / Cancel. Every edit of the
// search text asks for a search; the window runs it on the worker and hands
// the search back here. Select (button, double-click, Enter) hands on the row
// the search chose (the name typed in full) or the person moved to; without
// one the note asks to choose a row. The window puts the chip into the frame.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <array>

#include "core/app/chip_search.h"

namespace tq::gui {

// The table shows the rows the core search holds; it keeps no copy of them.
class ChipSearchModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetColumnTitles(const std::array<std::string, 4>& titles);
    // A finished search (or detection's candidates) replaces the shown one.
    void Replace(ChipSearch search);
    ChipSearch& search() { return search_; }
    const ChipRow* RowAt(int row) const;

private:
    ChipSearch search_;
    std::array<QString, 4> titles_;
};

class ChipFindDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ChipFindDialog(QWidget* parent);

    // Opens with the texts of `language`, centred on the main window; the
    // search text and the last results stay from the previous opening.
    void Open(int language);
    // Opens listing detection's candidates, counted as a search's results.
    void OpenWith(std::vector<ChipRow> candidates, int language);
    // A search the worker finished.
    void ShowResults(ChipSearch search);
    // While the window is busy nothing can be chosen or searched.
    void SetBusy(bool busy);

    ChipSearchModel& model() { return *model_; }

signals:
    void searchRequested(const QString& text);
    void selectRequested(const tq::ChipRow& row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyTexts(int language);
    void SelectCurrent();

    ChipSearchModel* model_;
    QLineEdit* content_;
    QLabel* contentLabel_;
    QLabel* result_;
    QLabel* note_;
    QTableView* grid_;
    QPushButton* select_;
    QPushButton* cancel_;
    QString noteText_;
    QString chooseRowText_;
};

}  // namespace tq::gui
