// Keeps the main window whole on its screen at any scale factor. The window
// never gets smaller than its content needs, so no caption is cut and the
// hex view keeps its 16 columns; where the screen's free area is smaller
// still (a small screen at a large scale), the window takes the free area and
// the content scrolls instead of leaving the screen.
#pragma once

#include <QMainWindow>
#include <QObject>

namespace tq::gui {

class WindowFit final : public QObject {
    Q_OBJECT
public:
    // `content` is what the window's scroll area shows.
    WindowFit(QMainWindow& window, QWidget& content);

    // The window's minimum: what the content, the menu bar (every title in
    // one row) and the status bar need, capped to the screen's free area. Follows the content's layout
    // (a language with longer captions asks for more).
    void UpdateMinimum();
    // Sizes the window to `wanted` (at least its minimum, at most the free
    // area) and centres it there, its title bar and menu bar on the screen.
    void Place(QSize wanted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect FreeArea() const;

    QMainWindow& window_;
    QWidget& content_;
    QWidget& status_;  // the window's status bar
    bool pending_ = false;
};

}  // namespace tq::gui
