// The log panel: a dock with every status line of the run, time-stamped and
// coloured by how the command ended (success green, failure red, a stop or
// warning amber), kept for scrolling back and saved as text on request.
#pragma once

#include <QDockWidget>
#include <QListWidget>
#include <QToolButton>

#include "core/app/status_log.h"
#include "gui/gui_thread_views.h"

namespace tq {
class Clock;
struct TextContext;
}  // namespace tq

namespace tq::gui {

class MessageBoxes;

class LogPanel final : public QDockWidget {
    Q_OBJECT
public:
    LogPanel(MessageBoxes& files, QWidget* parent);

    void Append(const LogLine& line);
    void Retranslate(int language);
    // Asks where to and writes the log there as UTF-8 text.
    void SaveLog();

    QListWidget& lines() { return *list_; }
    QStringList Texts() const;

private:
    MessageBoxes& files_;
    QListWidget* list_;
    QToolButton* save_;
    QToolButton* clear_;
    int language_ = 0;
    bool lastWasProgress_ = false;
};

// The session's status bar as the worker reaches it: the line goes to the
// status bar, and panel 0's lines, judged on the worker where the texts they
// came from are, go to the log too.
class LoggedStatusBar final : public Marshalling<StatusBarView> {
public:
    LoggedStatusBar(QObject& owner, StatusBarView& bar, LogPanel& log, const TextContext& texts, Clock& clock)
        : Marshalling(owner, bar), log_(log), texts_(texts), clock_(clock) {}
    void SetPanelText(int panel, const std::string& text) override;

private:
    LogPanel& log_;
    const TextContext& texts_;
    Clock& clock_;
};

}  // namespace tq::gui
