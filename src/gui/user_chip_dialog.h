// The user chip dialog TfrmUserImportChip: the list of user chips, the
// algorithm list, name, ID, capacity (read-only) and maker, the commands
// add, modify, delete and close, and export to / import from a CSV file.
// It shows a state of the engine's dialog (UserChipDialog) that the window
// runs on the worker; every person's action is handed on as a signal with
// that state and what the person typed.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/app/user_chips.h"

namespace tq::gui {

enum class UserChipCommand { Add, Modify, Delete, Export, Import };

class UserChipDialogWidget final : public QDialog {
    Q_OBJECT
public:
    explicit UserChipDialogWidget(QWidget* parent);

    // Shows the engine's dialog state; with texts when it (re)opens.
    void Show(const UserChipDialog& state);
    void Open(const UserChipDialog& state, const UserChipTexts& texts, int language);
    // The capacity of the algorithm being typed or chosen; the edits stay as they are.
    void ShowCapacity(const std::string& capacity);
    // The engine's state with the edits as the person left them.
    UserChipDialog Edited() const;
    // While the window is busy nothing can be changed.
    void SetBusy(bool busy);

signals:
    void userChipClicked(int index);
    void algorithmChanged(const QString& algorithm);
    void commandRequested(tq::gui::UserChipCommand command);

private:
    QLineEdit* LabelledEdit(const char* name, QLabel*& label);

    UserChipDialog state_;
    QLabel* count_;
    QListWidget* list_;
    QLabel* nameLabel_;
    QLabel* idLabel_;
    QLabel* capacityLabel_;
    QLabel* makerLabel_;
    QLabel* algorithmLabel_;
    QLineEdit* name_;
    QLineEdit* id_;
    QLineEdit* capacity_;
    QLineEdit* maker_;
    QComboBox* algorithm_;
    QPushButton* add_;
    QPushButton* modify_;
    QPushButton* delete_;
    QPushButton* close_;
    QPushButton* export_;
    QPushButton* import_;
};

}  // namespace tq::gui
