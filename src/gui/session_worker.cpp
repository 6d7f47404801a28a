#include "gui/session_worker.h"

#include <exception>

#include "core/chipdb/chip_database.h"

namespace tq::gui {

SessionWorker::SessionWorker(Session& session, QObject* parent)
    : QObject(parent), session_(session), runner_(new QObject) {
    thread_.setObjectName("SessionWorker");
    runner_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, runner_, &QObject::deleteLater);
    thread_.start();
}

SessionWorker::~SessionWorker() {
    thread_.quit();
    thread_.wait();
}

void SessionWorker::Post(Job job) {
    if (pending_++ == 0) emit idleChanged(false);
    QMetaObject::invokeMethod(
        runner_,
        [this, job = std::move(job)] {
            GuiStep step;
            // No exception may leave the worker: it would end the program.
            try {
                step = job(session_);
            } catch (const DatabaseError& error) {
                const QString what = QString::fromStdString(error.what());
                step = [this, what] { emit jobFailed(what, true); };
            } catch (const std::exception& error) {
                const QString what = QString::fromStdString(error.what());
                step = [this, what] { emit jobFailed(what, false); };
            } catch (...) {
                step = [this] { emit jobFailed(QString(), false); };
            }
            QMetaObject::invokeMethod(this, [this, step] { Finish(step); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void SessionWorker::Finish(const GuiStep& step) {
    try {
        if (step) step();
    } catch (const std::exception& error) {
        emit jobFailed(QString::fromStdString(error.what()), false);
    } catch (...) {
        emit jobFailed(QString(), false);
    }
    if (--pending_ == 0) emit idleChanged(true);
}

}  // namespace tq::gui
