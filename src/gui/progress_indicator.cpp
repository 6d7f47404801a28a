#include "gui/progress_indicator.h"

#include <QHBoxLayout>
#include <algorithm>

#include "core/app/language_menu.h"
#include "core/texts/text_catalogue.h"

namespace tq::gui {

ProgressIndicator::ProgressIndicator(QWidget* parent) : QWidget(parent) {
    bar_ = new QProgressBar(this);
    bar_->setObjectName("pbDLChip1");
    bar_->setTextVisible(false);
    // The bar takes what the column leaves; it never widens the window.
    bar_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label_ = new QLabel(this);
    label_->setObjectName("labelCh1");
    // Room for the widest text the label shows, in any language ("STOPPED",
    // a percentage with the time left), so none is cut at the window's
    // minimum size; the bar takes what is left of the column.
    int widest = label_->fontMetrics().horizontalAdvance("ERROR");
    for (const LanguageMenuEntry& entry : LanguageMenuEntries(0)) {
        const int32_t language = entry.language;
        for (const std::string& text : {Text(language, TextId::StoppedBarLabel),
                                        Text(language, TextId::ProgressWithTimeLeft, {"100%", "88:88"})})
            widest = std::max(widest, label_->fontMetrics().horizontalAdvance(QString::fromStdString(text)));
    }
    label_->setMinimumWidth(widest + 8);
    label_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);  // its whole text, always
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(bar_, 1);
    row->addWidget(label_);
    ShowDesignState();
}

void ProgressIndicator::SetMaximum(uint32_t maximum) {
    bar_->setMaximum(static_cast<int>(std::min<uint32_t>(maximum, INT32_MAX)));
}

void ProgressIndicator::SetPosition(uint32_t position) {
    bar_->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

void ProgressIndicator::SetState(ProgressState state) {
    state_ = state;
    Restyle();
}

void ProgressIndicator::SetBarColour(BarColour colour) {
    colour_ = colour;
    Restyle();
}

void ProgressIndicator::SetLabelText(const std::string& text) {
    label_->setText(QString::fromStdString(text));
    label_->setVisible(true);
}

void ProgressIndicator::SetLabelColour(LabelColour colour) {
    label_->setStyleSheet(colour == LabelColour::Red ? "color: rgb(255,0,0);" : QString());
}

void ProgressIndicator::ShowDesignState() {
    bar_->setMaximum(100);
    bar_->setValue(50);
    state_ = ProgressState::Normal;
    Restyle();
    label_->hide();
}

void ProgressIndicator::ShowNotConnected() {
    bar_->setMaximum(100);
    bar_->setValue(100);
    state_ = ProgressState::Error;
    Restyle();
    label_->setText("ERROR");
    label_->show();
}

// The error state paints the bar red whatever its colour, as the native
// control does, and the stopped state amber (neither passed nor failed); the
// colour itself is kept for the next normal state.
void ProgressIndicator::Restyle() {
    constexpr BarColour kBarAmber{230, 150, 0};
    const BarColour c = state_ == ProgressState::Error ? kBarRed : state_ == ProgressState::Stopped ? kBarAmber : colour_;
    bar_->setProperty("errorState", state_ == ProgressState::Error);
    bar_->setProperty("stoppedState", state_ == ProgressState::Stopped);
    bar_->setStyleSheet(QString("QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
                                "QProgressBar::chunk { background-color: rgb(%1,%2,%3); }")
                            .arg(c.r)
                            .arg(c.g)
                            .arg(c.b));
}

}  // namespace tq::gui
