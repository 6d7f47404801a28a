// Getting from the worker thread to the widgets. The engine calls its views
// on whichever thread runs it: on the window's own thread a call goes
// straight to the widget, from the worker it is queued (or, when the worker
// needs an answer, the worker waits for it; the window never waits).
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <functional>
#include <utility>

namespace tq::gui {

inline bool OnThreadOf(const QObject* target) { return QThread::currentThread() == target->thread(); }

// Runs `fn` on `target`'s thread; returns at once when called from elsewhere.
inline void PostTo(QObject* target, std::function<void()> fn) {
    if (OnThreadOf(target))
        fn();
    else
        QMetaObject::invokeMethod(target, std::move(fn), Qt::QueuedConnection);
}

// Runs `fn` on `target`'s thread and hands back its result; the calling
// (worker) thread waits for it.
template <typename Result>
Result AskOn(QObject* target, const std::function<Result()>& fn) {
    if (OnThreadOf(target)) return fn();
    Result result{};
    QMetaObject::invokeMethod(target, [&] { result = fn(); }, Qt::BlockingQueuedConnection);
    return result;
}

}  // namespace tq::gui
