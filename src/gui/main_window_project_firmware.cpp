// The main window's offline project and firmware update commands: the
// project dialog (with the chip frame lent to it while it is open), the
// update from the menu (package from a file dialog, progress on pbDLChip1 and
// status panel 0) and the update dialog. Each engine step runs on the worker
// in the window's busy state.
#include <QGroupBox>
#include <optional>

#include "core/app/session.h"
#include "core/firmware/firmware_update.h"
#include "core/project/project_download.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/chip_frame_widget.h"
#include "gui/main_window.h"
#include "gui/project_dialog.h"
#include "gui/socket_picture.h"
#include "gui/status_panels.h"
#include "gui/update_dialog.h"
#include "sim/sim_programmer.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The messages a project step reports to: an error (a file that cannot be
// read, a refused project) also goes into the dialog's log.
class LoggedErrors final : public MessageView {
public:
    LoggedErrors(MessageView& inner, ProjectLogView& log) : inner_(inner), log_(log) {}

    void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
    void ShowWarning(const std::string& text) override { inner_.ShowWarning(text); }
    void ShowError(const std::string& text) override {
        log_.AppendLine(text, LogColour::Red);
        inner_.ShowError(text);
    }
    bool AskYesNo(const std::string& text) override { return inner_.AskYesNo(text); }

private:
    MessageView& inner_;
    ProjectLogView& log_;
};

// The menu's update has no dialog: its image progress goes to pbDLChip1.
class MainWindowBar final : public UpdateDialogView {
public:
    explicit MainWindowBar(ProgressView& bar) : bar_(bar) {}
    void ClearLog() override {}
    void AddLogLine(const std::string&) override {}
    void SetBarMaximum(uint32_t maximum) override { bar_.SetMaximum(maximum); }
    void SetBarPosition(uint32_t position) override { bar_.SetPosition(position); }
    void CloseDialog() override {}

private:
    ProgressView& bar_;
};

QGroupBox* ChipInfoGroup(ChipFrameWidget* frame) { return frame->findChild<QGroupBox*>("gbChipInfoDesc"); }

}  // namespace

void MainWindow::ShowBusyRefusal() {
    messages_->Present(MessageKind::Warning, Q(Text(language_, TextId::AnotherOperationRunning)));
}

void MainWindow::RetranslateProjectFirmware() {
    if (QAction* folder = actions_.value("MenuFirmUpdateFolder"))
        folder->setText(Q(Text(language_, TextId::UpdateFromFolderCommand)) + "(&F)");
    if (projectDialog_) projectDialog_->Retranslate(language_);
    if (updateDialog_) updateDialog_->Retranslate(language_);
}

// --- Offline project ---

void MainWindow::MenuPrjOfflineClick() {
    if (!projectDialog_) {
        projectDialog_ = new ProjectDialog(session_.Operation, session_.Window.ChipFrameInProjectDialog, this);
        connect(projectDialog_, &ProjectDialog::Button2Clicked, this,
                [this] { Guard("Button2", [this] { ProjectButton2Click(); }); });
        connect(projectDialog_, &ProjectDialog::btnDownLoadPrjClicked, this,
                [this] { Guard("btnDownLoadPrj", [this] { ProjectDownloadClick(); }); });
        connect(projectDialog_, &QDialog::finished, this, [this] { Guard("TfrmProject", [this] { ProjectFormClose(); }); });
        for (QObject* command : projectDialog_->sessionCommands()) {
            busyDisabled_ << command;
            qobject_cast<QWidget*>(command)->setEnabled(!busy_);
        }
        projectDialog_->Retranslate(language_);
    }
    ProjectDialog* dialog = projectDialog_;
    RunCommand(Kind::Command, [this, dialog](Session&) -> GuiStep {
        dialog->editor().Open();
        const ProjectPlan plan = dialog->editor().plan;
        return [this, dialog, plan] {
            dialog->ShowSteps(plan);
            // The frame is one object: the chip chosen in the dialog is the
            // main window's chip too (the buffer stays as it is meanwhile).
            ChipInfoGroup(chipFrame_)->hide();
            dialog->chipFrameHost()->addWidget(chipFrame_);
            chipFrame_->show();
            if (!dialog->isVisible()) dialog->move(pos() + QPoint(10, 120));
            dialog->show();
            dialog->raise();
            dialog->activateWindow();
        };
    });
}

void MainWindow::ProjectFormClose() {
    // The frame goes back above the socket pictures, its home in the left column.
    for (QBoxLayout* column : centralWidget()->findChildren<QBoxLayout*>()) {
        if (column->indexOf(socketPinout_) < 0) continue;
        column->insertWidget(0, chipFrame_);
        break;
    }
    ChipInfoGroup(chipFrame_)->show();
    chipFrame_->show();
    ProjectDialog* dialog = projectDialog_;
    worker_->Post([dialog](Session&) -> GuiStep {
        dialog->editor().Close();
        return {};
    });
}

void MainWindow::ProjectButton2Click() {
    ProjectDialog* dialog = projectDialog_;
    RunCommand(Kind::Command, [dialog](Session& s) -> GuiStep {
        LoggedErrors errors(*s.Views.messages, dialog->logView());
        if (!dialog->editor().ChooseDataFile(*s.Views.fileDialog, errors)) return {};
        return [dialog, name = dialog->editor().plan.name] { dialog->SetProjectName(name); };
    });
}

void MainWindow::ProjectDownloadClick() {
    ProjectDialog* dialog = projectDialog_;
    RunCommand(Kind::Command, [this, dialog, plan = dialog->Plan()](Session& s) mutable -> GuiStep {
        // The chip is the frame's: its name list's text while an item is selected.
        const ChipListState& names = s.Window.ChipFrame.name;
        plan.chipName = names.index >= 0 ? names.text : std::string();
        plan.dataFile = s.Chip.PrjInfoOffline.DataFileName;  // as the editor chose it
        LoggedErrors errors(*s.Views.messages, dialog->logView());
        ProjectDialogViews views = dialog->views(errors);
        if (DownloadProject(s.Operation, views, plan) == kStepBusy)
            return [this] { ShowBusyRefusal(); };
        return {};
    });
}

// --- Firmware update ---

void MainWindow::MenuFirmUpdateClick() {
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        MainWindowBar bar(*s.Views.progress);
        const FirmwareUpdateResult result =
            ChooseAndUpdateFirmware(s.Operation, {*s.Views.statusBar, bar}, *s.Views.fileDialog);
        return [this, result] {
            if (result == FirmwareUpdateResult::Busy) ShowBusyRefusal();
            // Panel 0 names the package that could not be read; a box makes sure it is seen.
            if (result == FirmwareUpdateResult::PackageUnreadable)
                messages_->Present(MessageKind::Error, status_->PanelText(0));
        };
    });
}

void MainWindow::MenuFirmUpdateFolderClick() {
    if (!updateDialog_) {
        updateDialog_ = new UpdateDialog(this);
        connect(updateDialog_, &UpdateDialog::btnStartIAPClicked, this,
                [this] { Guard("btnStartIAP", [this] { UpdateStartClick(); }); });
        for (QObject* command : updateDialog_->sessionCommands()) {
            busyDisabled_ << command;
            qobject_cast<QWidget*>(command)->setEnabled(!busy_);
        }
        updateDialog_->Retranslate(language_);
    }
    updateDialog_->show();
    updateDialog_->raise();
    updateDialog_->activateWindow();
}

void MainWindow::UpdateStartClick() {
    UpdateDialog* dialog = updateDialog_;
    const bool bootReady = dialog->bootReady();
    RunCommand(Kind::Command, [this, dialog, bootReady](Session& s) -> GuiStep {
        // The dialog waits for the programmer to leave and return as its boot
        // loader and again as the new firmware; the simulated one re-enumerates
        // like that only when asked to.
        // Put back however the update ends, an exception included.
        struct Restore {
            SimProgrammer* simulator;
            std::optional<SimReenumeration> previous;
            ~Restore() {
                if (simulator) simulator->reenumeration = previous;
            }
        } restore{simulator_, simulator_ ? simulator_->reenumeration : std::nullopt};
        if (simulator_ && !restore.previous) simulator_->reenumeration = SimReenumeration{};
        Marshalled<UpdateDialogView> shown(*dialog);
        const FirmwareUpdateResult result =
            UpdateFirmwareFromFolder(s.Operation, {*s.Views.statusBar, shown}, bootReady, *s.Views.fileDialog);
        return [this, dialog, result] {
            if (result == FirmwareUpdateResult::Busy) ShowBusyRefusal();
            // The log's last line names the package that could not be read.
            if (result == FirmwareUpdateResult::PackageUnreadable) {
                const QStringList lines = dialog->log()->toPlainText().split('\n');
                messages_->Present(MessageKind::Error, lines.isEmpty() ? QString() : lines.back());
            }
        };
    });
}

}  // namespace tq::gui
