#include "gui/status_panels.h"

namespace tq::gui {

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar) {
    // The specified widths 400, 150, 200 as proportions, so the panels follow the window.
    const int stretch[3] = {8, 3, 4};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QString("StatusPanel%1").arg(i));
        panels_[i]->setMinimumWidth(40);
        bar->addWidget(panels_[i], stretch[i]);
    }
    counters_ = new QLabel(bar);
    counters_->setObjectName("StatusCounters");
    bar->addPermanentWidget(counters_);
}

void StatusPanels::SetPanelText(int panel, const std::string& text) {
    if (panel < 0 || panel > 2) return;
    panels_[panel]->setText(QString::fromStdString(text));
}

void StatusPanels::SetCounters(const QString& text) { counters_->setText(text); }

QString StatusPanels::PanelText(int panel) const { return panels_.at(panel)->text(); }

}  // namespace tq::gui
