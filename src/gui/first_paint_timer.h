// TQPROG_REPORT_STARTUP=1: prints how long the program took from its start
// to the main window's first paint (the start-up benchmark).
#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <iostream>

namespace tq::gui {

class FirstPaintTimer final : public QObject {
public:
    explicit FirstPaintTimer(const QElapsedTimer& since) : since_(since) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            std::cerr << "tqprog: first paint after " << since_.elapsed() << " ms\n";
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& since_;
    bool reported_ = false;
};

}  // namespace tq::gui
