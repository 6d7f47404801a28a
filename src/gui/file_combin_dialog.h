// TfrmFileCombin: the file merge dialog. The grid shows the engine's file
// list (MergeFileList); only the start column is editable and each row's end
// follows every keystroke. Add and remove act at once; the merge itself is
// handed to the window, which runs it on the worker.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "core/base/views.h"
#include "core/buffer/file_merge.h"

namespace tq::gui {

class FileCombinForm final : public QDialog {
    Q_OBJECT
public:
    // `dialogs` and `messages` are the main window's open/save dialogs and boxes.
    FileCombinForm(QWidget* window, FileDialogView& dialogs, MessageView& messages);

    const MergeFileList& list() const { return list_; }
    QString fillText() const { return fill_->text(); }
    // Captions in `language`; later messages follow it.
    void SetLanguage(int language);

    // Shows the dialog centred on the main window.
    void Present();
    // A start typed into row `row` (file rows from 0).
    void StartTyped(int row, const QString& text);

signals:
    void mergeClicked();

private:
    void ShowList();

    FileDialogView& dialogs_;
    MessageView& messages_;
    MergeFileList list_;
    int language_ = 0;
    QTableWidget* grid_;
    QLineEdit* fill_;
    QPushButton* add_;
    QPushButton* remove_;
    QLabel* fillLabel_;
    QPushButton* merge_;
};

}  // namespace tq::gui
