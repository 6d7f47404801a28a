// The production view: one panel per attached programmer (its volume, who
// it is, the chip in its socket, its state, progress, verdict and
// counters), Start all with the main window's buffer and Stop all, and the
// production log with a filter and CSV export. The line's runs and every
// frame and query are off the window's thread; the window shows copies.
#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QPushButton>
#include <QTableWidget>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <vector>

#include "core/app/production_line.h"

namespace tq::gui {

class MessageBoxes;
class SessionWorker;

class StationPanel final : public QGroupBox {
    Q_OBJECT
public:
    explicit StationPanel(QWidget* parent);
    void Show(const StationSnapshot& station, int language);
    QLabel* state() const { return state_; }
    QLabel* reason() const { return reason_; }
    QProgressBar* bar() const { return bar_; }

private:
    QLabel* programmer_;
    QLabel* chip_;
    QLabel* state_;
    QProgressBar* bar_;
    QLabel* reason_;
    QLabel* number_;
    QLabel* counters_;
};

class ProductionWindow final : public QWidget {
    Q_OBJECT
public:
    // `mainWorker` holds the buffer Start all takes; `files` asks where the
    // export goes; `discovery` finds the programmers.
    ProductionWindow(SessionWorker& mainWorker, MessageBoxes& files, std::unique_ptr<ProgrammerDiscovery> discovery,
                     const ProgramFolders& folders, int language, QWidget* parent = nullptr);
    ~ProductionWindow() override;

    void Retranslate(int language);
    // Takes the main window's buffer and starts every idle programmer.
    void StartAll();
    // Every run stops; the status line says so at once.
    void StopAll();
    // Looks for programmers now (the timer does every two seconds).
    void Poll();
    // The log rows the filter names.
    void ShowLog();
    void ExportLog();

    ProductionLine& line() { return *line_; }
    // True while a poll, a start or a log query is under way.
    bool Working() const { return pending_ > 0; }
    const std::vector<StationPanel*>& panels() const { return panels_; }
    QTableWidget* logTable() const { return table_; }
    QLabel* status() const { return status_; }
    QLineEdit* jobFilter() const { return job_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Runs `work` on the line's thread; `done` after it on this one.
    void Post(std::function<std::function<void()>()> work);
    void ShowStations();
    void Say(const QString& text);

    SessionWorker& mainWorker_;
    MessageBoxes& files_;
    std::unique_ptr<ProgrammerDiscovery> discovery_;
    ProgramFolders folders_;
    int language_;
    std::unique_ptr<ProductionLedger> ledger_;
    std::unique_ptr<ProductionLine> line_;
    QThreadPool pool_;
    std::atomic<int> pending_{0};
    QTimer poll_;
    QTimer paint_;
    bool wasRunning_ = false;

    QPushButton* start_;
    QPushButton* stop_;
    QLabel* status_;
    QScrollArea* scroll_;
    QWidget* panelArea_;
    QLabel* none_;
    std::vector<StationPanel*> panels_;
    QGroupBox* logBox_;
    QLabel* jobLabel_;
    QLabel* resultLabel_;
    QLabel* sinceLabel_;
    QLineEdit* job_;
    QComboBox* result_;
    QLineEdit* since_;
    QPushButton* show_;
    QPushButton* export_;
    QLabel* rows_;
    QTableWidget* table_;
};

}  // namespace tq::gui
