// The main window's buffer dialogs: the parameter dialog TfrmFileEdit (fill,
// jump, find, and the import of a dropped file), find next, and the file
// merge dialog TfrmFileCombin. The engine prepares and carries out each
// command on the worker; the dialogs only show and collect texts.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "core/app/session.h"
#include "core/buffer/file_import.h"
#include "core/buffer/find_selection.h"
#include "core/texts/language.h"
#include "core/texts/text_catalogue.h"
#include "gui/file_combin_dialog.h"
#include "gui/file_edit_dialog.h"
#include "gui/hex_view_widget.h"
#include "gui/main_window.h"

namespace tq::gui {
namespace {

using Preparation = void (*)(BufferContext&, FileEditDialog&, const TextLookup&);

// Prepares the dialog from the buffer and the language file, then shows it.
Job PrepareJob(FileEditForm* form, FileEditDialog state, Preparation prepare) {
    return [form, state, prepare](Session& s) mutable -> GuiStep {
        const LanguageFile file(s.Texts);
        prepare(s.Buffer, state, [&file](const std::string& section, const std::string& key, const std::string& fallback) {
            return file.Text(section, key, fallback);
        });
        return [form, state] { form->Present(state); };
    };
}

bool HoldsLocalFile(const QMimeData* mime) {
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) return true;
    return false;
}

}  // namespace

void MainWindow::BuildBufferDialogs() {
    setAcceptDrops(true);
    fileEdit_ = new FileEditForm(this);
    busyDisabled_ << fileEdit_->okButton();
    connect(fileEdit_, &FileEditForm::okClicked, this,
            [this] { Guard("btnFileInportOK", [this] { btnFileInportOKClick(); }); });
    fileCombin_ = new FileCombinForm(this, *messages_, *messages_);
    connect(fileCombin_, &FileCombinForm::mergeClicked, this,
            [this] { Guard("btnMergeMergeFile", [this] { btnMergeMergeFileClick(); }); });
}

void MainWindow::MenuBufferFillClick() {
    RunCommand(Kind::Command, PrepareJob(fileEdit_, fileEdit_->Typed(), &tq::PrepareFillDialog));
}

void MainWindow::MenuBufferGotoClick() {
    RunCommand(Kind::Command, PrepareJob(fileEdit_, fileEdit_->Typed(), &tq::PrepareJumpDialog));
}

void MainWindow::MenuBufferFindClick() {
    RunCommand(Kind::Command, PrepareJob(fileEdit_, fileEdit_->Typed(), &tq::PrepareFindDialog));
}

void MainWindow::btnFileInportOKClick() {
    RunCommand(Kind::Command, [this, typed = fileEdit_->Typed()](Session& s) mutable -> GuiStep {
        const bool found = FileEditOkSelecting(s.Buffer, typed, workerViews_->caption).has_value();
        return [this, typed, found] {
            fileEdit_->Apply(typed);
            if (found) hexView_->setFocus();  // the match is selected there
        };
    });
}

void MainWindow::MenuBufferFindNextClick() {
    RunCommand(Kind::Command, [this](Session& s) -> GuiStep {
        if (!FindNextSelecting(s.Buffer)) return {};
        return [this] { hexView_->setFocus(); };
    });
}

void MainWindow::Menu_File_MenuMergeClick() {
    fileCombin_->SetLanguage(language_);
    fileCombin_->Present();
}

void MainWindow::btnMergeMergeFileClick() {
    fileCombin_->SetLanguage(language_);
    // The merge reads and writes files only; it runs on the worker so a large
    // merge does not freeze the window.
    RunCommand(Kind::Command, [this, list = fileCombin_->list(), fill = fileCombin_->fillText().toStdString(),
                               language = language_](Session&) -> GuiStep {
        tq::ChooseOutputAndMerge(list, fill, workerViews_->fileDialog, workerViews_->messages, language);
        return {};
    });
}

// A drag holding a file on this machine may drop, unless something runs.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && HoldsLocalFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!busy_ && HoldsLocalFile(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    Guard("drop", [this, event] {
        std::vector<std::string> paths;
        QStringList remote;
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile())
                paths.push_back(url.toLocalFile().toStdString());
            else
                remote << url.toDisplayString();
        }
        // Files elsewhere (a web or network address) are named and left out.
        if (!remote.isEmpty())
            messages_->Present(MessageKind::Warning,
                               QString::fromStdString(Text(language_, TextId::OnlyLocalFilesImported,
                                                         {remote.join(", ").toStdString()})));
        if (paths.empty()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        RunCommand(Kind::Command, [this, paths, state = fileEdit_->Typed()](Session& s) mutable -> GuiStep {
            DropFiles(s.Buffer, state, paths);
            return [this, state] {
                if (state.Visible) fileEdit_->Present(state);
            };
        });
    });
}

}  // namespace tq::gui
