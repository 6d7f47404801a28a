// The firmware update dialog TfrmUpdate: "already in boot mode" check box,
// start button, the warning not to cut the power, the bar pbIAPProBar and the
// log memUpdateLog. The update itself is the engine's (UpdateFirmwareFromFolder); the
// main window runs it on the worker and this dialog shows it.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "core/firmware/firmware_update.h"

namespace tq::gui {

class UpdateDialog final : public QDialog, public UpdateDialogView {
    Q_OBJECT
public:
    explicit UpdateDialog(QWidget* parent);

    void Retranslate(int language);
    bool bootReady() const { return bootReady_->isChecked(); }
    // The controls that start work on the session: off while the window is busy.
    QList<QObject*> sessionCommands() const { return {start_, bootReady_}; }
    QPlainTextEdit* log() const { return log_; }
    QProgressBar* bar() const { return bar_; }

    // What the update shows (the worker's calls arrive through gui_thread_views).
    void ClearLog() override;
    void AddLogLine(const std::string& line) override;
    void SetBarMaximum(uint32_t maximum) override;
    void SetBarPosition(uint32_t position) override;
    void CloseDialog() override;

signals:
    void btnStartIAPClicked();

private:
    QCheckBox* bootReady_;
    QPushButton* start_;
    QLabel* warning_;
    QProgressBar* bar_;
    QPlainTextEdit* log_;
};

}  // namespace tq::gui
