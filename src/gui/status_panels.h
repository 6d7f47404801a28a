// The status bar: panel 0 status lines, 1 buffer checksum, 2 connection,
// and a fourth panel with the auto-run counters ("Suc:3  Fal:1"). A text
// wider than its panel is shown cut with "…", whole in the tooltip.
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

#include "core/base/views.h"

namespace tq::gui {

class ElidedLabel;

class StatusPanels final : public QObject, public StatusBarView {
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    void SetPanelText(int panel, const std::string& text) override;
    void SetCounters(const QString& text);

    QString PanelText(int panel) const;  // the whole text
    QString ShownText(int panel) const;  // what the panel's width holds
    QString Counters() const { return counters_->text(); }

private:
    std::array<ElidedLabel*, 3> panels_{};
    QLabel* counters_;
};

}  // namespace tq::gui
