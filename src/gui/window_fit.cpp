#include "gui/window_fit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

namespace tq::gui {

WindowFit::WindowFit(QMainWindow& window, QWidget& content)
    : QObject(&window), window_(window), content_(content) {
    content_.installEventFilter(this);
    window_.installEventFilter(this);
}

QRect WindowFit::FreeArea() const {
    QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    // The window manager's frame, once known, is part of what must fit.
    const QMargins frame(window_.geometry().left() - window_.frameGeometry().left(),
                         window_.geometry().top() - window_.frameGeometry().top(),
                         window_.frameGeometry().right() - window_.geometry().right(),
                         window_.frameGeometry().bottom() - window_.geometry().bottom());
    return screen->availableGeometry().marginsRemoved(frame);
}

void WindowFit::UpdateMinimum() {
    pending_ = false;
    const QSize content = content_.minimumSizeHint().expandedTo(content_.minimumSize());
    const int chrome = window_.menuBar()->sizeHint().height() + window_.statusBar()->sizeHint().height();
    QSize need(std::max(content.width(), window_.statusBar()->minimumSizeHint().width()), content.height() + chrome);
    const QRect free = FreeArea();
    if (free.isValid()) need = need.boundedTo(free.size());
    window_.setMinimumSize(need);
}

void WindowFit::Place(QSize wanted) {
    UpdateMinimum();
    const QRect free = FreeArea();
    QSize size = wanted.expandedTo(window_.minimumSize());
    if (!free.isValid()) {
        window_.resize(size);
        return;
    }
    size = size.boundedTo(free.size());
    window_.resize(size);
    QRect placed(QPoint(), size);
    placed.moveCenter(free.center());
    // Never above or left of the free area: the menu bar stays reachable.
    placed.moveTopLeft(QPoint(std::max(placed.left(), free.left()), std::max(placed.top(), free.top())));
    const QPoint frameOffset = window_.geometry().topLeft() - window_.frameGeometry().topLeft();
    window_.move(placed.topLeft() - frameOffset);
}

bool WindowFit::eventFilter(QObject* watched, QEvent* event) {
    // After the content's layout has settled, its minimum is the new one. A
    // layout never shown yet sends no request: showing counts as one.
    const bool changed = (watched == &content_ && event->type() == QEvent::LayoutRequest) ||
                         (watched == &window_ && event->type() == QEvent::Show);
    if (changed && !pending_) {
        pending_ = true;
        QTimer::singleShot(0, this, &WindowFit::UpdateMinimum);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tq::gui
