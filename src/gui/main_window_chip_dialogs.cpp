// The main window's dialogs about chips and the programmer: the chip search,
// the user chips, the auto options and the hardware information, and the
// self-check. What touches the session runs on the worker; what a dialog
// shows is handed back to the window's thread.
#include <QCheckBox>

#include "core/app/chip_selection.h"
#include "core/app/session.h"
#include "core/app/user_chips_csv.h"
#include "core/chipdb/chip_database.h"
#include "core/operations/auto_sequence.h"
#include "core/operations/hardware_info.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/auto_options_dialog.h"
#include "gui/chip_find_dialog.h"
#include "gui/chip_frame_widget.h"
#include "gui/hard_info_dialog.h"
#include "gui/main_window.h"
#include "gui/status_panels.h"
#include "gui/user_chip_dialog.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// --- Run counters ---

GuiStep MainWindow::ShowCountersStep(const Session& session) {
    return [this, counters = Q(AutoCounterText(session.Device.DevInf))] { status_->SetCounters(counters); };
}

// A chip chosen in the frame's lists starts its counters afresh; the status
// bar follows once the worker has handled the choice.
void MainWindow::FollowChipFrameCounters() {
    const auto refresh = [this] { worker_->Post([this](Session& s) { return ShowCountersStep(s); }); };
    connect(chipFrame_, &ChipFrameWidget::itemChosen, this, refresh);
    connect(chipFrame_, &ChipFrameWidget::textTyped, this, refresh);
}

// --- Chip search ---

ChipFindDialog& MainWindow::ChipFind() {
    if (chipFind_) return *chipFind_;
    chipFind_ = new ChipFindDialog(this);
    chipFind_->SetBusy(busy_);
    connect(this, &MainWindow::busyChanged, chipFind_, &ChipFindDialog::SetBusy);
    connect(chipFind_, &ChipFindDialog::searchRequested, this, [this](const QString& text) {
        // A plain job, not a command: typing must not make the window busy.
        worker_->Post([this, text = text.toStdString()](Session& s) -> GuiStep {
            ChipSearch found;
            found.Search(s, text);
            return [this, found]() mutable { chipFind_->ShowResults(std::move(found)); };
        });
    });
    connect(chipFind_, &ChipFindDialog::selectRequested, this, [this](const ChipRow& row) {
        const int language = language_;
        const bool started = RunCommand(Kind::Command, [this, row, language](Session& s) -> GuiStep {
            if (SelectChipInFrame(s, row.ChipType, row.ManufName, row.ChipName)) return {};
            const QString text = Q(Text(language, TextId::ChipNotInLists, {row.ChipName}));
            return [this, text] { messages_->Present(MessageKind::Warning, text); };
        });
        if (started) chipFind_->hide();
    });
    return *chipFind_;
}

void MainWindow::sbChipFindClick() { ChipFind().Open(language_); }

void MainWindow::OpenChipSearch(const std::vector<ChipRow>& candidates) { ChipFind().OpenWith(candidates, language_); }

// --- User chips ---

UserChipDialogWidget& MainWindow::UserChips() {
    if (userChips_) return *userChips_;
    userChips_ = new UserChipDialogWidget(this);
    userChips_->SetBusy(busy_);
    connect(this, &MainWindow::busyChanged, userChips_, &UserChipDialogWidget::SetBusy);
    connect(userChips_, &UserChipDialogWidget::userChipClicked, this, [this](int index) {
        worker_->Post([this, state = userChips_->Edited(), index](Session& s) mutable -> GuiStep {
            state.SelectUserChip(s.Chip.database(), index);
            return [this, state] { userChips_->Show(state); };
        });
    });
    connect(userChips_, &UserChipDialogWidget::algorithmChanged, this, [this](const QString& algorithm) {
        worker_->Post([this, state = userChips_->Edited(), algorithm = algorithm.toStdString()](Session& s) mutable
                      -> GuiStep {
            state.algorithm = algorithm;
            state.ShowAlgorithmCapacity(s.Chip.database());
            return [this, capacity = state.capacity] { userChips_->ShowCapacity(capacity); };
        });
    });
    connect(userChips_, &UserChipDialogWidget::commandRequested, this, [this](UserChipCommand command) {
        const int language = language_;
        RunCommand(Kind::Command, [this, command, language, state = userChips_->Edited()](Session& s) mutable -> GuiStep {
            const UserChipContext chips = UserChipContextOf(s);
            const UserChipResult result = command == UserChipCommand::Add      ? state.Add(chips)
                                          : command == UserChipCommand::Modify ? state.Modify(chips)
                                          : command == UserChipCommand::Delete ? state.Delete(chips)
                                                                               : UserChipResult{};
            if (command == UserChipCommand::Export || command == UserChipCommand::Import) {
                const std::vector<FileFilter> filter{{"CSV", "*.csv"}};
                const std::string folder = s.Texts.ProgramFolder.string() + "/";
                const bool exporting = command == UserChipCommand::Export;
                const std::string file =
                    exporting ? s.Views.fileDialog->ChooseSaveFile(
                                    Text(language, TextId::ExportUserChipsTitle),
                                    filter, folder, "user_chips.csv")
                              : s.Views.fileDialog->ChooseOpenFile(
                                    Text(language, TextId::ImportUserChipsTitle),
                                    filter, folder, "");
                if (file.empty()) return {};
                if (exporting) {
                    const UserChipExport done = ExportUserChips(s.Chip.database(), file, language);
                    if (done.error.empty())
                        s.Views.messages->ShowMessage(
                            Text(language, TextId::UserChipsExported, {std::to_string(done.exported)}));
                    else
                        s.Views.messages->ShowWarning(done.error);
                    return {};
                }
                const UserChipImport report = ImportUserChips(s.Chip.database(), file, language);
                if (report.error.empty() && report.refused.empty())
                    s.Views.messages->ShowMessage(ImportReportText(report, language));
                else
                    s.Views.messages->ShowWarning(ImportReportText(report, language));
                if (report.imported == 0) return {};
                state.Open(chips);
            } else if (result.outcome == UserChipOutcome::Done && result.rowsChanged == 0) {
                s.Views.messages->ShowMessage(Text(language, TextId::NoChipChanged));
            }
            // The frame lists the chips of the table as it is now.
            if (result.rowsChanged > 0 || command == UserChipCommand::Import) RefreshChipLists(s);
            return [this, state] { userChips_->Show(state); };
        });
    });
    return *userChips_;
}

void MainWindow::MenuAddChipClick() {
    const int language = language_;
    RunCommand(Kind::Command, [this, language, state = UserChips().Edited()](Session& s) mutable -> GuiStep {
        const UserChipTexts texts = state.Open(UserChipContextOf(s));
        return [this, state, texts, language] { userChips_->Open(state, texts, language); };
    });
}

// --- Auto options ---

void MainWindow::MenuAutoSelClick() {
    if (!autoOptions_) {
        autoOptions_ = new AutoOptionsDialog(this);
        connect(this, &MainWindow::busyChanged, autoOptions_, &AutoOptionsDialog::SetBusy);
        connect(autoOptions_, &AutoOptionsDialog::optionClicked, this, [this](AutoOption option, bool checked) {
            // The boxes are off while a command runs, so this applies at once.
            worker_->Post([option, checked](Session& s) -> GuiStep {
                AutoSteps steps = AutoStepsOf(s.Chip.PrjInfo);
                bool* const box[] = {&steps.idCheck, &steps.erase, &steps.write, &steps.verify, &steps.verifyTwice};
                *box[static_cast<int>(option)] = checked;
                SetAutoSteps(s.Chip.PrjInfo, steps);
                return {};
            });
        });
    }
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        const LanguageFile file(s.Texts);
        const AutoSelDialog dialog =
            tq::DescribeAutoOptions(s.Chip.PrjInfo, [&file](const std::string& section, const std::string& key,
                                                      const std::string& fallback) { return file.Text(section, key, fallback); },
                                    s.Texts.Language);
        return [this, dialog] { autoOptions_->Open(dialog); };
    });
}

// --- The programmer ---

void MainWindow::MenuHardInfoClick() {
    if (!hardInfo_) hardInfo_ = new HardInfoDialog(this);
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        const std::optional<HardInfoTexts> info = tq::ReadHardwareInfo(s.Operation);
        if (!info) return {};  // the not-connected warning was shown
        return [this, info] { hardInfo_->Open(*info); };
    });
}

void MainWindow::MenuSelfCheckClick() {
    RunCommand(Kind::Command, [](Session& s) -> GuiStep {
        tq::RunSelfCheck(s.Operation);
        return {};
    });
}

}  // namespace tq::gui
