// TfrmFileEdit: the buffer's parameter dialog in its four modes (import,
// fill, jump, find). The engine prepares its texts, visibility, enabled state
// and limits (FileEditDialog); this widget shows them and hands the typed
// texts back when OK is pressed. Modeless, above the main window.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/buffer/tool_dialog.h"

namespace tq::gui {

class FileEditForm final : public QDialog {
    Q_OBJECT
public:
    explicit FileEditForm(QWidget* window);

    // Shows a preparation, centred on the main window.
    void Present(const FileEditDialog& state);
    // Shows what OK left: closed, or open again after a refused field.
    void Apply(const FileEditDialog& state);
    // The preparation with what was typed and checked since.
    FileEditDialog Typed() const;

    QPushButton* okButton() const { return ok_; }

signals:
    void okClicked();

private:
    struct Row {
        QLabel* label;
        QLineEdit* edit;
    };
    Row AddRow(const char* name, int row);
    void ShowField(const Row& row, const DialogField& field);

    FileEditDialog state_;
    Row rows_[3];
    QCheckBox* random_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace tq::gui
