// The Program menu's backup and blank-check switches and the backups list.
#include <QMenuBar>

#include "core/app/session.h"
#include "core/buffer/backup_store.h"
#include "core/operations/chip_backup.h"
#include "core/texts/text_catalogue.h"
#include "gui/backups_dialog.h"
#include "gui/main_window.h"

namespace tq::gui {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A switch of the guard, changed on the worker (the options are off while a command runs).
void PostGuardSwitch(SessionWorker& worker, bool OverwriteGuard::*which, bool on) {
    worker.Post([which, on](Session& s) -> GuiStep {
        s.Operation.Guard.*which = on;
        return {};
    });
}

}  // namespace

void MainWindow::BuildOptionsMenu() {
    // Beside the operations they change: a menu of their own would crowd the bar.
    QMenu* options = findChild<QMenu*>("MenuProgram");
    options->addSeparator();
    const std::pair<const char*, bool OverwriteGuard::*> switches[] = {
        {"MenuOptionBackup", &OverwriteGuard::backup},
        {"MenuOptionBlankCheck", &OverwriteGuard::blankBeforeWrite},
    };
    for (const auto& [name, which] : switches) {
        auto* item = new QAction(this);
        item->setObjectName(name);
        item->setCheckable(true);
        connect(item, &QAction::toggled, this, [this, which = which](bool on) {
            Guard("options", [this, which, on] { PostGuardSwitch(*worker_, which, on); });
        });
        options->addAction(item);
        actions_.insert(name, item);
        busyDisabled_ << item;
    }
}

void MainWindow::ShowGuardOptions() {
    // Start-up has just read the settings; nothing else runs yet.
    const QSignalBlocker backup(actions_.value("MenuOptionBackup"));
    const QSignalBlocker blank(actions_.value("MenuOptionBlankCheck"));
    actions_.value("MenuOptionBackup")->setChecked(session_.Operation.Guard.backup);
    actions_.value("MenuOptionBlankCheck")->setChecked(session_.Operation.Guard.blankBeforeWrite);
}

void MainWindow::RetranslateBackupMenus() {
    const auto text = [this](TextId id) { return Q(Text(language_, id)); };
    actions_.value("MenuOptionBackup")->setText(text(TextId::OptionBackupBeforeOverwrite) + "(&U)");
    actions_.value("MenuOptionBlankCheck")->setText(text(TextId::OptionBlankCheckBeforeWrite) + "(&N)");
    actions_.value("MenuBackups")->setText(text(TextId::BackupsCommand) + "(&B)");
}

void MainWindow::MenuBackupsClick() {
    if (!backups_) {
        backups_ = new BackupsDialog(this);
        connect(this, &MainWindow::busyChanged, backups_, &BackupsDialog::SetBusy);
        connect(backups_, &BackupsDialog::loadRequested, this, [this](const QString& path) {
            Guard("backup", [this, path] {
                RunCommand(Kind::Command, [this, path = path.toStdString()](Session& s) -> GuiStep {
                    LoadBackup(s.Buffer, workerViews_->caption, path);
                    return {};
                });
            });
        });
    }
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        const std::filesystem::path folder = BackupFolderOf(s.Operation);
        return [this, backups = ListBackups(folder), folder, language = s.Texts.Language] {
            backups_->Open(backups, folder, language);
        };
    });
}

}  // namespace tq::gui
