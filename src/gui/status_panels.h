// The status bar: panel 0 status lines, 1 buffer checksum, 2 connection,
// and a fourth panel with the auto-run counters ("Suc:3  Fal:1").
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

#include "core/base/views.h"

namespace tq::gui {

class StatusPanels final : public QObject, public StatusBarView {
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    void SetPanelText(int panel, const std::string& text) override;
    void SetCounters(const QString& text);

    QString PanelText(int panel) const;
    QString Counters() const { return counters_->text(); }

private:
    std::array<QLabel*, 3> panels_{};
    QLabel* counters_;
};

}  // namespace tq::gui
