// The progress bar pbDLChip1 and the label labelCh1 beside it: green bar
// while working, red or error state after a failure, amber after a stop,
// "N%", "ERROR", "Conn".
#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

#include "core/base/views.h"

namespace tq::gui {

class ProgressIndicator final : public QWidget, public ProgressView {
    Q_OBJECT
public:
    explicit ProgressIndicator(QWidget* parent = nullptr);

    void SetMaximum(uint32_t maximum) override;
    void SetPosition(uint32_t position) override;
    void SetState(ProgressState state) override;
    void SetBarColour(BarColour colour) override;
    void SetLabelText(const std::string& text) override;
    void SetLabelColour(LabelColour colour) override;

    // The design state: position 50, normal, label hidden.
    void ShowDesignState();
    // Not connected: "ERROR" beside a bar in its error state at 100.
    void ShowNotConnected();

    QProgressBar* bar() const { return bar_; }
    QLabel* label() const { return label_; }

private:
    void Restyle();

    QProgressBar* bar_;
    QLabel* label_;
    ProgressState state_ = ProgressState::Normal;
    BarColour colour_ = kBarGreen;
};

}  // namespace tq::gui
