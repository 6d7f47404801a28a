#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "gui/gui_thread_views.h"

namespace tq::testing {
namespace {

// A widget stand-in on the window's thread: writes what reaches it into a
// log shared with the other widgets, and notes a call on any other thread.
class Recorder final : public QObject, public StatusBarView, public MessageView, public FileDialogView {
public:
    explicit Recorder(std::vector<std::string>& log) : log_(log) {}
    bool onOwnThread = true;

    void SetPanelText(int panel, const std::string& text) override { Note("panel " + std::to_string(panel) + " " + text); }
    void ShowMessage(const std::string& text) override { Note("message " + text); }
    void ShowWarning(const std::string& text) override { Note("warning " + text); }
    void ShowError(const std::string& text) override { Note("error " + text); }
    bool AskYesNo(const std::string& text) override {
        Note("question " + text);
        return true;
    }
    std::string ChooseOpenFile(const std::string& title, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        Note("open " + title);
        return "/data/image.hex";
    }
    std::string ChooseSaveFile(const std::string& title, const std::vector<FileFilter>&, const std::string&,
                               const std::string&) override {
        Note("save " + title);
        return {};
    }

private:
    void Note(std::string line) {
        onOwnThread = onOwnThread && QThread::currentThread() == thread();
        log_.push_back(std::move(line));
    }
    std::vector<std::string>& log_;
};

// Runs the window thread's events until `done` (at most 5 s).
void ProcessEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

TEST(GuiThreadViews, WorkerCallsReachTheWidgetsOnTheWindowThreadInOrderWithoutTheWorkerWaiting) {
    std::vector<std::string> log;
    Recorder panels(log), boxes(log);
    gui::Marshalled<StatusBarView> status(panels);
    gui::Marshalled<MessageView> messages(boxes);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        status.SetPanelText(0, "Writing");
        messages.ShowError("Write failed");
        status.SetPanelText(0, "Ready");
        returned = true;
    });
    // The window runs no events meanwhile: the worker must not be waiting for it.
    QElapsedTimer waited;
    waited.start();
    while (!returned && waited.elapsed() < 5000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(returned);
    EXPECT_TRUE(log.empty());
    ProcessEventsUntil([&] { return returned && log.size() == 3; });
    worker.join();
    EXPECT_EQ(log, (std::vector<std::string>{"panel 0 Writing", "error Write failed", "panel 0 Ready"}));
    EXPECT_TRUE(panels.onOwnThread);
    EXPECT_TRUE(boxes.onOwnThread);
}

TEST(GuiThreadViews, AWorkerQuestionWaitsForTheWindowsAnswer) {
    std::vector<std::string> log;
    Recorder boxes(log);
    gui::Marshalled<MessageView> messages(boxes);
    gui::Marshalled<FileDialogView> dialogs(boxes);
    std::atomic<bool> done{false};
    bool yes = false;
    std::string chosen;
    std::thread worker([&] {
        messages.ShowMessage("Read done");
        yes = messages.AskYesNo("Discard the edits?");
        chosen = dialogs.ChooseOpenFile("Open", {{"Hex File", "*.hex"}}, "/data", "");
        done = true;
    });
    ProcessEventsUntil([&] { return done.load(); });
    worker.join();
    EXPECT_TRUE(yes);
    EXPECT_EQ(chosen, "/data/image.hex");
    EXPECT_EQ(log, (std::vector<std::string>{"message Read done", "question Discard the edits?", "open Open"}));
    EXPECT_TRUE(boxes.onOwnThread);
}

}  // namespace
}  // namespace tq::testing
