#include "gui/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

#include "core/texts/text_catalogue.h"
#include "gui/backups_dialog.h"

namespace tq::gui {
namespace {

// The engine's texts break lines with a lone CR.
QString Displayed(const std::string& text) { return QString::fromStdString(text).replace('\r', '\n'); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString OneFilter(const FileFilter& filter) { return Q(filter.description) + " (" + Q(filter.pattern) + ")"; }

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const FileFilter& f : filters) parts << OneFilter(f);
    return parts.join(";;");
}

// The dialog's filter text whose pattern is `pattern`; the first without one.
QString OfferedFilter(const std::vector<FileFilter>& filters, const QString& pattern) {
    for (const FileFilter& f : filters)
        if (Q(f.pattern) == pattern) return OneFilter(f);
    return filters.empty() ? QString() : OneFilter(filters.front());
}

// The pattern of the filter text the dialog ended with; `kept` when it is none of them.
QString PatternOf(const QString& selected, const std::vector<FileFilter>& filters, const QString& kept) {
    for (const FileFilter& f : filters)
        if (OneFilter(f) == selected) return Q(f.pattern);
    return kept;
}

// A name typed without extension takes a HEX or S-record filter's first one,
// so the chosen filter decides what is written. Binary and "all files" leave
// the name to the engine's own rule.
QString WithFilterExtension(const QString& chosen, const QString& selectedFilter) {
    if (chosen.isEmpty() || QFileInfo(chosen).fileName().contains('.')) return chosen;
    const int star = selectedFilter.indexOf("*.");
    if (star < 0) return chosen;
    const QString extension = selectedFilter.mid(star + 2).section(QRegularExpression("[ );]"), 0, 0);
    if (extension == "bin" || extension == "*" || extension.isEmpty()) return chosen;
    return chosen + "." + extension;
}

// Runs `box` to its end and reads the answer. A box is shown over the
// dialog the person works in; should that dialog close and be deleted
// meanwhile, it takes the box with it: then nothing was answered.
template <typename Answer, typename Read>
Answer RunBox(QMessageBox* made, Read read, Answer unanswered) {
    const QPointer<QMessageBox> box(made);
    const int code = box->exec();
    if (!box) return unanswered;
    const Answer answer = read(*box, code);
    delete box.data();
    return answer;
}

}  // namespace

MessageBoxes::MessageBoxes(QWidget* window) : QObject(window), window_(window) {
    presenter_ = [this](MessageKind kind, const QString& text) {
        // Over the dialog the person works in, which may stay on top of the window.
        QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : window_;
        // The platform's icon for each kind; buttons in the person's language.
        const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning, QMessageBox::Critical,
                                           QMessageBox::Question};
        auto* box = new QMessageBox(icons[static_cast<int>(kind)], window_->windowTitle(), text, QMessageBox::NoButton, parent);
        if (kind != MessageKind::Question) {
            box->addButton(Q(Text(language_, TextId::OkCommand)), QMessageBox::AcceptRole);
            return RunBox(box, [](QMessageBox&, int) { return true; }, true);
        }
        QPushButton* yes = box->addButton(Q(Text(language_, TextId::YesCommand)), QMessageBox::YesRole);
        box->addButton(Q(Text(language_, TextId::NoCommand)), QMessageBox::NoRole);
        box->setDefaultButton(yes);
        return RunBox(box, [yes](QMessageBox& shown, int) { return shown.clickedButton() == yes; }, false);
    };
    saveChoicePresenter_ = [this](const QString& text) {
        QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : window_;
        auto* box = new QMessageBox(QMessageBox::Question, window_->windowTitle(), text,
                                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
        box->button(QMessageBox::Save)->setText(Q(Text(language_, TextId::SaveCommand)));
        box->button(QMessageBox::Discard)->setText(Q(Text(language_, TextId::DiscardCommand)));
        box->button(QMessageBox::Cancel)->setText(Q(Text(language_, TextId::CancelCommand)));
        box->setDefaultButton(QMessageBox::Save);
        box->setEscapeButton(QMessageBox::Cancel);
        return RunBox(
            box,
            [](QMessageBox&, int answer) {
                return answer == QMessageBox::Save      ? SaveChoice::Save
                       : answer == QMessageBox::Discard ? SaveChoice::Discard
                                                        : SaveChoice::Cancel;
            },
            SaveChoice::Cancel);
    };
    notBlankPresenter_ = [this](const QString& text) {
        QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : window_;
        return RunBox(MakeNotBlankBox(parent, window_->windowTitle(), text, language_).release(),
                      [](QMessageBox& shown, int) { return NotBlankAnswerOf(shown); }, NotBlankChoice::Cancel);
    };
    filePresenter_ = [this](bool save, const QString& title, const QString& filter, const QString& folder,
                            const QString& name) {
        // The remembered name may be a whole path (the temp folder's test.bin).
        const QString start = name.isEmpty() ? folder : QDir(folder).filePath(name);
        if (!save) return QFileDialog::getOpenFileName(window_, title, start, filter, &selectedFilter_);
        const QString chosen = QFileDialog::getSaveFileName(window_, title, start, filter, &selectedFilter_);
        return WithFilterExtension(chosen, selectedFilter_);
    };
}

void MessageBoxes::SetPresenter(MessagePresenter presenter) {
    presenter_ = std::move(presenter);
    saveChoicePresenter_ = [this](const QString& text) {
        return presenter_(MessageKind::Question, text) ? SaveChoice::Discard : SaveChoice::Cancel;
    };
    notBlankPresenter_ = [this](const QString& text) {
        return presenter_(MessageKind::Question, text) ? NotBlankChoice::EraseFirst : NotBlankChoice::Cancel;
    };
}

bool MessageBoxes::Present(MessageKind kind, const QString& text) { return presenter_(kind, text); }

void MessageBoxes::ShowMessage(const std::string& text) {
    Present(MessageKind::Information, Displayed(text));
}

void MessageBoxes::ShowWarning(const std::string& text) {
    Present(MessageKind::Warning, Displayed(text));
}

void MessageBoxes::ShowError(const std::string& text) {
    Present(MessageKind::Error, Displayed(text));
}

bool MessageBoxes::AskYesNo(const std::string& text) {
    return Present(MessageKind::Question, Displayed(text));
}

SaveChoice MessageBoxes::AskSaveDiscardCancel(const std::string& text) { return saveChoicePresenter_(Displayed(text)); }

NotBlankChoice MessageBoxes::AskNotBlank(const std::string& text) { return notBlankPresenter_(Displayed(text)); }

std::string MessageBoxes::ChooseFile(bool save, const std::string& title, const std::vector<FileFilter>& filters,
                                     const std::string& folder, const std::string& name) {
    // The save dialog is given no place: it starts where the last save went.
    const bool again = save && folder.empty() && name.empty();
    // The filter chosen last is offered when this dialog lists it, else the first.
    selectedFilter_ = OfferedFilter(filters, rememberedFilter_);
    const QString chosen = filePresenter_(save, QString::fromStdString(title), FilterText(filters),
                                          QString::fromStdString(folder),
                                          again ? lastSaved_ : QString::fromStdString(name));
    if (save && !chosen.isEmpty()) lastSaved_ = chosen;
    if (!chosen.isEmpty()) rememberedFilter_ = PatternOf(selectedFilter_, filters, rememberedFilter_);
    return chosen.toStdString();
}

std::string MessageBoxes::ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                                         const std::string& initialFolder, const std::string& initialName) {
    return ChooseFile(false, title, filters, initialFolder, initialName);
}

std::string MessageBoxes::ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                         const std::string& initialFolder, const std::string& initialName) {
    return ChooseFile(true, title, filters, initialFolder, initialName);
}

}  // namespace tq::gui
