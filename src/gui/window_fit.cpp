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
    : QObject(&window), window_(window), content_(content), status_(*window.statusBar()) {
    // The scroll area's viewport hears when the content's own size hints change.
    for (QObject* watched : {static_cast<QObject*>(&content_), static_cast<QObject*>(content_.parentWidget()),
                             static_cast<QObject*>(&window_), static_cast<QObject*>(&status_)})
        if (watched) watched->installEventFilter(this);
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
    // The bars as they are now or as they ask to be, whichever is taller (a
    // status line in Chinese makes its bar taller than an empty one).
    const int chrome = std::max(window_.menuBar()->height(), window_.menuBar()->sizeHint().height()) +
                       std::max(status_.height(), status_.sizeHint().height());
    // Every menu in sight: the bar's hint is all its titles in one row, which
    // a language with long titles makes wider than the content.
    const int width = std::max({content.width(), status_.minimumSizeHint().width(), window_.menuBar()->sizeHint().width()});
    QSize need(width, content.height() + chrome);
    const QRect free = FreeArea();
    if (free.isValid()) need = need.boundedTo(free.size());
    window_.setMinimumSize(need);
    // A minimum that grew (a language with longer captions) widens the window
    // to the right: move it back so that it stays on the screen.
    if (!free.isValid()) return;
    const QRect frame = window_.frameGeometry();
    const int left = std::max(free.left(), std::min(frame.left(), free.right() - frame.width() + 1));
    const int top = std::max(free.top(), std::min(frame.top(), free.bottom() - frame.height() + 1));
    if (left != frame.left() || top != frame.top()) window_.move(left, top);
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
    // After the content's or the status bar's layout has settled, the minimum is the new one. A
    // layout never shown yet sends no request: showing counts as one.
    const bool changed = (watched != &window_ && event->type() == QEvent::LayoutRequest) ||
                         (watched == &status_ && event->type() == QEvent::Resize) ||
                         (watched == &window_ && event->type() == QEvent::Show);
    if (changed && !pending_) {
        pending_ = true;
        QTimer::singleShot(0, this, &WindowFit::UpdateMinimum);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tq::gui
