// The one thread that uses the session while the window stays live. Jobs run
// in the order they were posted; what a job hands back runs afterwards on
// the window's thread. Nothing else touches the session while a job runs.
#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <string>

namespace tq {
class Session;
}

namespace tq::gui {

// What runs on the window's thread once a job is done.
using GuiStep = std::function<void()>;
// Runs on the worker with the session to itself.
using Job = std::function<GuiStep(Session&)>;

class SessionWorker : public QObject {
    Q_OBJECT
public:
    explicit SessionWorker(Session& session, QObject* parent = nullptr);
    ~SessionWorker() override;

    // Queues a job. An exception it throws is caught on the worker and
    // reported through jobFailed on the window's thread (an empty text when
    // it was no std::exception).
    void Post(Job job);
    // True when no job is queued or running (as the window's thread sees it).
    bool Idle() const { return pending_ == 0; }

signals:
    void idleChanged(bool idle);
    void jobFailed(const QString& what, bool databaseError);

private:
    void Finish(const GuiStep& step);

    Session& session_;
    QThread thread_;
    QObject* runner_;  // lives on thread_; queued calls to it are the queue
    int pending_ = 0;
};

}  // namespace tq::gui
