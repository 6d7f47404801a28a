#include "gui/production_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/ledger_location.h"
#include "core/base/atomic_write.h"
#include "core/production/log_export.h"
#include "core/texts/text_catalogue.h"
#include "gui/message_boxes.h"
#include "gui/session_worker.h"

namespace tq::gui {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kPanelColumns = 3;

QColor ColourOf(StationState state) {
    switch (state) {
        case StationState::Passed: return QColor(0, 128, 0);
        case StationState::Failed:
        case StationState::Gone: return QColor(200, 0, 0);
        case StationState::Running: return QColor(0, 0, 160);
        case StationState::Idle: break;
    }
    return {};
}

std::string ResultText(int language, RunResult result) {
    switch (result) {
        case RunResult::Passed: return Text(language, TextId::LineStatePassed);
        case RunResult::Failed: return Text(language, TextId::LineStateFailed);
        case RunResult::Unfinished: return Text(language, TextId::ProductionResultUnfinished);
    }
    return {};
}

// The rows of the ledger the filter names; result 0 is every result.
std::vector<RunRecord> QueryLog(const ProgramFolders& folders, const LogQuery& query, int result) {
    std::vector<RunRecord> rows = OpenProductionLedger(LedgerLocationFor(folders, ""))->Query(query);
    if (result > 0) {
        const RunResult wanted = result == 1 ? RunResult::Passed : result == 2 ? RunResult::Failed : RunResult::Unfinished;
        std::erase_if(rows, [wanted](const RunRecord& row) { return row.result != wanted; });
    }
    return rows;
}

}  // namespace

StationPanel::StationPanel(QWidget* parent) : QGroupBox(parent) {
    setObjectName("ProductionPanel");
    setMinimumWidth(280);
    auto* layout = new QVBoxLayout(this);
    const auto label = [&] {
        auto* l = new QLabel(this);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    programmer_ = label();
    chip_ = label();
    state_ = label();
    QFont bold = state_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    state_->setFont(bold);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(true);
    layout->addWidget(bar_);
    reason_ = label();
    reason_->setWordWrap(true);
    reason_->setMinimumHeight(reason_->fontMetrics().lineSpacing() * 2);
    number_ = label();
    counters_ = label();
    layout->addStretch();
}

void StationPanel::Show(const StationSnapshot& s, int language) {
    setTitle(Q(s.key));
    programmer_->setText(Q(Text(language, TextId::ProductionPanelProgrammer, {s.model, s.serial.empty() ? "-" : s.serial})));
    chip_->setText(Q(Text(language, TextId::ProductionPanelChip, {s.chip.empty() ? "-" : s.chip, s.chipId.empty() ? "-" : s.chipId})));
    state_->setText(Q(StationStateText(language, s.state)));
    QPalette palette = state_->palette();
    const QColor colour = ColourOf(s.state);
    palette.setColor(QPalette::WindowText, colour.isValid() ? colour : this->palette().color(QPalette::WindowText));
    state_->setPalette(palette);
    const bool running = s.state == StationState::Running;
    bar_->setRange(0, running || s.progressMaximum == 0 ? std::max<int>(1, static_cast<int>(s.progressMaximum)) : 1);
    bar_->setValue(running ? static_cast<int>(std::min(s.progressPosition, s.progressMaximum))
                           : (s.state == StationState::Passed ? 1 : 0));
    reason_->setText(Q(s.reason));
    reason_->setToolTip(Q(s.reason));
    number_->setText(s.serialNumber ? Q(Text(language, TextId::ProductionPanelNumber, {std::to_string(*s.serialNumber)})) : "");
    counters_->setText(Q(Text(language, TextId::ProductionPanelCounters, {std::to_string(s.passed), std::to_string(s.failed)})));
}

ProductionWindow::ProductionWindow(SessionWorker& mainWorker, MessageBoxes& files,
                                   std::unique_ptr<ProgrammerDiscovery> discovery, const ProgramFolders& folders,
                                   int language, QWidget* parent)
    : QWidget(parent, Qt::Window),
      mainWorker_(mainWorker),
      files_(files),
      discovery_(std::move(discovery)),
      folders_(folders),
      language_(language) {
    setObjectName("ProductionWindow");
    pool_.setMaxThreadCount(1);
    QString ledgerProblem;
    try {
        ledger_ = OpenProductionLedger(LedgerLocationFor(folders_, ""));
    } catch (const LedgerError& error) {
        ledgerProblem = Q(Text(language_, TextId::ProductionLogNotKept, {error.what()}));
    }
    line_ = std::make_unique<ProductionLine>(*discovery_, LineSetup{folders_, language_, language_, ledger_.get()});

    auto* top = new QHBoxLayout;
    start_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), "", this);
    start_->setObjectName("ProductionStartAll");
    stop_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), "", this);
    stop_->setObjectName("ProductionStopAll");
    stop_->setEnabled(false);
    status_ = new QLabel(ledgerProblem, this);
    status_->setWordWrap(true);
    top->addWidget(start_);
    top->addWidget(stop_);
    top->addWidget(status_, 1);

    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    panelArea_ = new QWidget(scroll_);
    auto* grid = new QGridLayout(panelArea_);
    grid->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    none_ = new QLabel(panelArea_);
    grid->addWidget(none_, 0, 0);
    scroll_->setWidget(panelArea_);

    logBox_ = new QGroupBox(this);
    auto* logLayout = new QVBoxLayout(logBox_);
    auto* filter = new QHBoxLayout;
    jobLabel_ = new QLabel(logBox_);
    job_ = new QLineEdit(logBox_);
    job_->setObjectName("ProductionFilterJob");
    resultLabel_ = new QLabel(logBox_);
    result_ = new QComboBox(logBox_);
    result_->setObjectName("ProductionFilterResult");
    result_->addItems({"", "", "", ""});
    sinceLabel_ = new QLabel(logBox_);
    since_ = new QLineEdit(logBox_);
    since_->setObjectName("ProductionFilterSince");
    since_->setPlaceholderText("2026-12-10");
    show_ = new QPushButton(logBox_);
    export_ = new QPushButton(logBox_);
    export_->setObjectName("ProductionExportCsv");
    rows_ = new QLabel(logBox_);
    for (QWidget* w : std::initializer_list<QWidget*>{jobLabel_, job_, resultLabel_, result_, sinceLabel_, since_, show_, export_})
        filter->addWidget(w);
    filter->addWidget(rows_, 1);
    table_ = new QTableWidget(0, 8, logBox_);
    table_->setObjectName("ProductionLog");
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    logLayout->addLayout(filter);
    logLayout->addWidget(table_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(scroll_);
    splitter->addWidget(logBox_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);

    connect(start_, &QPushButton::clicked, this, &ProductionWindow::StartAll);
    connect(stop_, &QPushButton::clicked, this, &ProductionWindow::StopAll);
    connect(show_, &QPushButton::clicked, this, &ProductionWindow::ShowLog);
    connect(job_, &QLineEdit::returnPressed, this, &ProductionWindow::ShowLog);
    connect(since_, &QLineEdit::returnPressed, this, &ProductionWindow::ShowLog);
    connect(export_, &QPushButton::clicked, this, &ProductionWindow::ExportLog);
    poll_.setInterval(2000);
    connect(&poll_, &QTimer::timeout, this, &ProductionWindow::Poll);
    paint_.setInterval(250);
    connect(&paint_, &QTimer::timeout, this, &ProductionWindow::ShowStations);
    Retranslate(language_);
    resize(1000, 760);
}

ProductionWindow::~ProductionWindow() {
    poll_.stop();
    paint_.stop();
    pool_.waitForDone();
    line_.reset();  // stops every run and waits for it
}

void ProductionWindow::Retranslate(int language) {
    language_ = language;
    const auto text = [language](TextId id) { return Q(Text(language, id)); };
    setWindowTitle(text(TextId::ProductionWindowTitle));
    start_->setText(text(TextId::ProductionStartAll));
    stop_->setText(text(TextId::ProductionStopAll));
    none_->setText(text(TextId::ProductionNoProgrammers));
    logBox_->setTitle(text(TextId::ProductionLogTitle));
    jobLabel_->setText(text(TextId::ProductionFilterJob));
    resultLabel_->setText(text(TextId::ProductionFilterResult));
    sinceLabel_->setText(text(TextId::ProductionFilterSince));
    result_->setItemText(0, text(TextId::ProductionFilterAll));
    result_->setItemText(1, text(TextId::LineStatePassed));
    result_->setItemText(2, text(TextId::LineStateFailed));
    result_->setItemText(3, text(TextId::ProductionResultUnfinished));
    show_->setText(text(TextId::ProductionShowLog));
    export_->setText(text(TextId::ProductionExportCsv));
    table_->setHorizontalHeaderLabels(
        {text(TextId::ProductionColumnTime), text(TextId::ProductionColumnProgrammer), text(TextId::ProductionColumnChip),
         text(TextId::ProductionColumnChipId), text(TextId::ProductionColumnSerial), text(TextId::ProductionColumnResult),
         text(TextId::ProductionColumnDuration), text(TextId::ProductionColumnMessage)});
    ShowStations();
}

void ProductionWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (poll_.isActive()) return;
    poll_.start();
    paint_.start();
    Poll();
    ShowLog();
}

void ProductionWindow::Post(std::function<std::function<void()>()> work) {
    ++pending_;
    pool_.start([this, work = std::move(work)] {
        std::function<void()> done;
        try {
            done = work();
        } catch (const std::exception& failure) {
            done = [this, what = std::string(failure.what())] { Say(Q(what)); };
        }
        QMetaObject::invokeMethod(this, [this, done] {
            --pending_;
            if (done) done();
        }, Qt::QueuedConnection);
    });
}

void ProductionWindow::Say(const QString& text) {
    status_->setText(text);
    status_->setToolTip(text);
}

void ProductionWindow::Poll() {
    if (pending_ > 0) return;  // the last step is still under way
    Post([this] {
        line_->Refresh();
        return [this] { ShowStations(); };
    });
}

void ProductionWindow::StartAll() {
    // The buffer belongs to the main window's worker: it hands a copy over.
    mainWorker_.Post([this](Session& session) -> GuiStep {
        LineJob job = LineJobOf(session);
        return [this, job = std::move(job)] {
            if (job.chip.empty() || job.dataLength == 0) {
                Say(Q(Text(language_, TextId::ProductionNeedsImage)));
                return;
            }
            Post([this, job] {
                const size_t started = line_->StartAll(job);
                return [this, started, chip = job.chip, length = job.dataLength] {
                    Say(started == 0 ? Q(Text(language_, TextId::ProductionNothingToStart))
                                     : Q(Text(language_, TextId::ProductionStarted,
                                              {std::to_string(started), chip, std::to_string(length)})));
                    ShowStations();
                };
            });
        };
    });
}

void ProductionWindow::StopAll() {
    line_->StopAll();
    Say(Q(Text(language_, TextId::ProductionStopping)));
}

void ProductionWindow::ShowStations() {
    const std::vector<StationSnapshot> stations = line_->Snapshot();
    auto* grid = static_cast<QGridLayout*>(panelArea_->layout());
    if (panels_.size() != stations.size()) {
        for (StationPanel* panel : panels_) panel->deleteLater();
        panels_.clear();
        for (size_t i = 0; i < stations.size(); ++i) {
            auto* panel = new StationPanel(panelArea_);
            grid->addWidget(panel, static_cast<int>(i / kPanelColumns), static_cast<int>(i % kPanelColumns));
            panels_.push_back(panel);
        }
    }
    none_->setVisible(stations.empty());
    bool running = false, idle = false;
    for (size_t i = 0; i < stations.size(); ++i) {
        panels_[i]->Show(stations[i], language_);
        running = running || stations[i].state == StationState::Running;
        idle = idle || (stations[i].answered && stations[i].state != StationState::Running);
    }
    // A whole row of panels, as their texts make them, stays in sight above the log; more rows scroll.
    if (!panels_.empty()) {
        grid->activate();
        const QMargins margins = grid->contentsMargins();
        const int oneRow = panels_.front()->sizeHint().height() + margins.top() + margins.bottom();
        scroll_->setMinimumHeight(std::min(panelArea_->sizeHint().height(), oneRow + grid->spacing()) +
                                  2 * scroll_->frameWidth() + 4);
    }
    start_->setEnabled(idle);
    stop_->setEnabled(running);
    if (wasRunning_ && !running) ShowLog();  // the runs have their rows now
    wasRunning_ = running;
}

void ProductionWindow::ShowLog() {
    const LogQuery query{job_->text().trimmed().toStdString(), "", since_->text().trimmed().toStdString(), 0};
    const int result = result_->currentIndex();
    Post([this, query, result] {
        std::vector<RunRecord> rows = QueryLog(folders_, query, result);
        return [this, rows = std::move(rows)] {
            table_->setRowCount(static_cast<int>(rows.size()));
            // Newest first: the line's latest chips at the top.
            for (size_t i = 0; i < rows.size(); ++i) {
                const RunRecord& r = rows[rows.size() - 1 - i];
                const QString cells[8] = {Q(r.time), Q(r.programmer), Q(r.chip), Q(r.chipId),
                                          r.serial ? QString::number(*r.serial) : QString(), Q(ResultText(language_, r.result)),
                                          QString::number(r.durationMs), Q(r.message)};
                for (int c = 0; c < 8; ++c) {
                    auto* item = new QTableWidgetItem(cells[c]);
                    item->setToolTip(cells[c]);
                    if (c == 5 && r.result != RunResult::Unfinished)
                        item->setForeground(r.result == RunResult::Passed ? QColor(0, 128, 0) : QColor(200, 0, 0));
                    table_->setItem(static_cast<int>(i), c, item);
                }
            }
            // Every column but the message fits its contents; the message takes the rest.
            for (int c = 0; c + 1 < table_->columnCount(); ++c) table_->resizeColumnToContents(c);
            rows_->setText(Q(Text(language_, TextId::ProductionLogRows, {std::to_string(rows.size())})));
        };
    });
}

void ProductionWindow::ExportLog() {
    // The image dialogs' remembered filter is not the log's.
    const std::string imageFilter = files_.RememberedFilter();
    const std::string path = files_.ChooseSaveFile(Text(language_, TextId::ProductionExportCsv),
                                                   {{Text(language_, TextId::ProductionCsvFiles), "*.csv"}}, "",
                                                   "production-log.csv");
    files_.SetRememberedFilter(imageFilter);
    if (path.empty()) return;
    const LogQuery query{job_->text().trimmed().toStdString(), "", since_->text().trimmed().toStdString(), 0};
    const int result = result_->currentIndex();
    Post([this, query, result, path, language = language_] {
        const std::vector<RunRecord> rows = QueryLog(folders_, query, result);
        const std::string failure = WriteFileAtomically(path, LogCsv(rows));
        const std::string said = failure.empty()
                                     ? Text(language, TextId::LogExported, {std::to_string(rows.size()), path})
                                     : Text(language, TextId::LogExportFailed, {failure});
        return [this, said] { Say(Q(said)); };
    });
}

}  // namespace tq::gui
