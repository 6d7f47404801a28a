#include "gui/log_panel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/texts/text_catalogue.h"
#include "gui/message_boxes.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Dark enough to read on the list's white.
QColor ColourOf(StatusKind kind) {
    switch (kind) {
        case StatusKind::Success: return QColor(0, 128, 0);
        case StatusKind::Failure: return QColor(200, 0, 0);
        case StatusKind::Warning: return QColor(176, 112, 0);
        case StatusKind::Plain: break;
    }
    return QColor();
}

}  // namespace

LogPanel::LogPanel(MessageBoxes& files, QWidget* parent) : QDockWidget(parent), files_(files) {
    setObjectName("LogPanel");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    list_ = new QListWidget(body);
    list_->setObjectName("LogLines");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setUniformItemSizes(true);
    column->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    save_ = new QToolButton(body);
    save_->setObjectName("LogSave");
    clear_ = new QToolButton(body);
    clear_->setObjectName("LogClear");
    row->addWidget(save_);
    row->addWidget(clear_);
    row->addStretch(1);
    column->addLayout(row);
    setWidget(body);
    connect(save_, &QToolButton::clicked, this, &LogPanel::SaveLog);
    connect(clear_, &QToolButton::clicked, this, [this] {
        list_->clear();
        lastWasProgress_ = false;
    });
}

void LogPanel::Append(const LogLine& line) {
    // A running count replaces the count before it instead of filling the log.
    const bool replace = line.progress && lastWasProgress_ && list_->count() > 0;
    lastWasProgress_ = line.progress;
    QListWidgetItem* item = replace ? list_->item(list_->count() - 1) : new QListWidgetItem(list_);
    item->setText(Q(line.text));
    item->setToolTip(Q(line.text));
    const QColor colour = ColourOf(line.kind);
    if (colour.isValid()) item->setForeground(colour);
    else item->setData(Qt::ForegroundRole, QVariant());
    list_->scrollToBottom();
}

void LogPanel::Retranslate(int language) {
    language_ = language;
    setWindowTitle(Q(Text(language, TextId::LogPanelTitle)));
    toggleViewAction()->setText(Q(Text(language, TextId::LogPanelTitle)) + "(&L)");
    save_->setText(Q(Text(language, TextId::SaveLogCommand)));
    clear_->setText(Q(Text(language, TextId::ClearLogCommand)));
}

QStringList LogPanel::Texts() const {
    QStringList texts;
    for (int i = 0; i < list_->count(); ++i) texts << list_->item(i)->text();
    return texts;
}

void LogPanel::SaveLog() {
    // The image dialogs' remembered filter is not the log's.
    const std::string imageFilter = files_.RememberedFilter();
    const std::string path = files_.ChooseSaveFile(Text(language_, TextId::SaveLogCommand),
                                                   {{Text(language_, TextId::LogTextFiles), "*.txt"}, {"ALL", "*.*"}},
                                                   "", "tqprog.log.txt");
    files_.SetRememberedFilter(imageFilter);
    if (path.empty()) return;
    std::vector<std::string> lines;
    for (const QString& text : Texts()) lines.push_back(text.toStdString());
    const std::string failure = SaveLogFile(path, lines);
    if (!failure.empty()) files_.ShowError(Text(language_, TextId::LogNotSaved, {failure}));
}

void LoggedStatusBar::SetPanelText(int panel, const std::string& text) {
    Tell(&StatusBarView::SetPanelText, panel, text);
    if (panel != 0 || text.empty()) return;
    RunOnThreadOf(owner_, [&log = log_, line = MakeLogLine(texts_, clock_, text)] { log.Append(line); });
}

}  // namespace tq::gui
