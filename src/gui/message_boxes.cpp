#include "gui/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStringList>

namespace tq::gui {
namespace {

// The engine's texts break lines with a lone CR.
QString Displayed(const std::string& text) { return QString::fromStdString(text).replace('\r', '\n'); }

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const FileFilter& f : filters)
        parts << QString::fromStdString(f.description) + " (" + QString::fromStdString(f.pattern) + ")";
    return parts.join(";;");
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

}  // namespace

MessageBoxes::MessageBoxes(QWidget* window) : QObject(window), window_(window) {
    presenter_ = [this](MessageKind kind, const QString& text) {
        const QString title = window_->windowTitle();
        // Over the dialog the person works in, which may stay on top of the window.
        QWidget* parent = QApplication::activeWindow() ? QApplication::activeWindow() : window_;
        switch (kind) {
            case MessageKind::Information: QMessageBox::information(parent, title, text); return true;
            case MessageKind::Warning: QMessageBox::warning(parent, title, text); return true;
            case MessageKind::Error: QMessageBox::critical(parent, title, text); return true;
            case MessageKind::Question:
                return QMessageBox::question(parent, title, text) == QMessageBox::Yes;
        }
        return false;
    };
    filePresenter_ = [this](bool save, const QString& title, const QString& filter, const QString& folder,
                            const QString& name) {
        // The remembered name may be a whole path (the temp folder's test.bin).
        const QString start = name.isEmpty() ? folder : QDir(folder).filePath(name);
        if (!save) return QFileDialog::getOpenFileName(window_, title, start, filter);
        QString selected;
        const QString chosen = QFileDialog::getSaveFileName(window_, title, start, filter, &selected);
        return WithFilterExtension(chosen, selected);
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

std::string MessageBoxes::ChooseFile(bool save, const std::string& title, const std::vector<FileFilter>& filters,
                                     const std::string& folder, const std::string& name) {
    // The save dialog is given no place: it starts where the last save went.
    const bool again = save && folder.empty() && name.empty();
    const QString chosen = filePresenter_(save, QString::fromStdString(title), FilterText(filters),
                                          QString::fromStdString(folder),
                                          again ? lastSaved_ : QString::fromStdString(name));
    if (save && !chosen.isEmpty()) lastSaved_ = chosen;
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
