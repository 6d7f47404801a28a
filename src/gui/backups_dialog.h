// The list of chip backups (chip, time, size, CRC-32), newest first, with
// Load into buffer, Show folder and Close; and the question a write asks
// when the range it would fill holds data.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/base/views.h"
#include "core/buffer/backup_store.h"

namespace tq::gui {

class BackupsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit BackupsDialog(QWidget* parent);

    // Shows the list as the engine found it, in `language`.
    void Open(const std::vector<BackupEntry>& backups, const std::filesystem::path& folder, int language);
    // Loading waits while the window is busy.
    void SetBusy(bool busy);
    QTreeWidget* list() const { return list_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* folderButton() const { return folder_; }

signals:
    void loadRequested(const QString& path);

private:
    void ShowFolder();
    void UpdateButtons();

    QLabel* folderLabel_;
    QTreeWidget* list_;
    QDialogButtonBox* buttons_;
    QPushButton* load_;
    QPushButton* folder_;
    QString folderPath_;
    int language_ = 0;
    bool busy_ = false;
};

// Erase first / Write anyway / Cancel, with the question icon; Erase first
// is the default and Escape cancels.
std::unique_ptr<QMessageBox> MakeNotBlankBox(QWidget* parent, const QString& title, const QString& text, int language);
// What the person pressed on a box made by MakeNotBlankBox.
NotBlankChoice NotBlankAnswerOf(const QMessageBox& box);

}  // namespace tq::gui
