// Message boxes and the open/save dialogs the engine asks for, on the
// window's thread (the worker reaches them through gui_thread_views). How a
// box is presented can be replaced (the tests record instead of showing
// modal boxes).
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>

#include "core/base/views.h"

namespace tq::gui {

enum class MessageKind { Information, Warning, Error, Question };

// Shows a box; for a question returns true for yes.
using MessagePresenter = std::function<bool(MessageKind, const QString& text)>;
// Asks Save / Discard / Cancel.
using SaveChoicePresenter = std::function<SaveChoice(const QString& text)>;
// Asks Erase first / Write anyway / Cancel.
using NotBlankPresenter = std::function<NotBlankChoice(const QString& text)>;
// Shows an open (save = false) or save dialog; empty when cancelled.
using FilePresenter = std::function<QString(bool save, const QString& title, const QString& filter,
                                            const QString& folder, const QString& name)>;

class MessageBoxes final : public QObject, public MessageView, public FileDialogView {
    Q_OBJECT
public:
    explicit MessageBoxes(QWidget* window);

    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    SaveChoice AskSaveDiscardCancel(const std::string& text) override;
    NotBlankChoice AskNotBlank(const std::string& text) override;
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& initialFolder, const std::string& initialName) override;
    std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                               const std::string& initialFolder, const std::string& initialName) override;
    void SetRememberedFilter(const std::string& pattern) override { rememberedFilter_ = QString::fromStdString(pattern); }
    std::string RememberedFilter() override { return rememberedFilter_.toStdString(); }

    // On the window's thread.
    bool Present(MessageKind kind, const QString& text);
    // The buttons' language.
    void SetLanguage(int language) { language_ = language; }
    // Replaces how boxes are shown; a question's Save / Discard / Cancel then
    // follows its yes (discard) or no (cancel) until SetSaveChoicePresenter.
    void SetPresenter(MessagePresenter presenter);
    void SetSaveChoicePresenter(SaveChoicePresenter presenter) { saveChoicePresenter_ = std::move(presenter); }
    // Like Save / Discard / Cancel, the question before writing over data
    // follows a replaced presenter's yes (erase first) or no (cancel).
    void SetNotBlankPresenter(NotBlankPresenter presenter) { notBlankPresenter_ = std::move(presenter); }
    void SetFilePresenter(FilePresenter presenter) { filePresenter_ = std::move(presenter); }
    // The filter a file dialog opens with (one of the dialog's filter
    // texts); a presenter may change it as the person's choice.
    QString& selectedFilter() { return selectedFilter_; }

private:
    std::string ChooseFile(bool save, const std::string& title, const std::vector<FileFilter>& filters,
                           const std::string& folder, const std::string& name);

    QWidget* window_;
    int language_ = 0;
    MessagePresenter presenter_;
    SaveChoicePresenter saveChoicePresenter_;
    NotBlankPresenter notBlankPresenter_;
    FilePresenter filePresenter_;
    QString rememberedFilter_;  // the pattern of the filter chosen last
    QString selectedFilter_;
    QString lastSaved_;  // where the last save went, for a save dialog given no place
};

}  // namespace tq::gui
