#include "gui/status_panels.h"

#include <QResizeEvent>

namespace tq::gui {

// A panel shows as much of its text as its width holds, ending in "…", and
// the whole text as its tooltip.
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent) : QLabel(parent) {
        // Its width comes from the bar's stretch, never from the text.
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void SetFullText(const QString& text) {
        full_ = text;
        setToolTip(text);
        Elide();
    }
    const QString& FullText() const { return full_; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide() { setText(fontMetrics().elidedText(full_, Qt::ElideRight, contentsRect().width())); }
    QString full_;
};

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar) {
    // The specified widths 400, 150, 200 as proportions, so the panels follow the window.
    const int stretch[3] = {8, 3, 4};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new ElidedLabel(bar);
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
    panels_[panel]->SetFullText(QString::fromStdString(text));
}

void StatusPanels::SetCounters(const QString& text) { counters_->setText(text); }

QString StatusPanels::PanelText(int panel) const { return panels_.at(panel)->FullText(); }

QString StatusPanels::ShownText(int panel) const { return panels_.at(panel)->text(); }

}  // namespace tq::gui
