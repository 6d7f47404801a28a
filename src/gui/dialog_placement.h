// Where the program's small dialogs appear: centred on the main window (or
// on the screen when asked or when the window is not shown), the division
// truncated.
#pragma once

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace tq::gui {

inline void CentreDialog(QWidget& dialog, bool onScreen = false) {
    if (!dialog.testAttribute(Qt::WA_Resized)) dialog.adjustSize();  // keeps a size the dialog chose
    const QWidget* over = dialog.parentWidget() && !onScreen ? dialog.parentWidget()->window() : nullptr;
    QRect area = over ? over->frameGeometry() : QRect();
    if (!over || !over->isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
    }
    dialog.move(area.left() + (area.width() - dialog.width()) / 2, area.top() + (area.height() - dialog.height()) / 2);
}

// Shows a dialog that lives for the whole run: centred when it opens, brought
// to the front when it is open already.
inline void ShowDialog(QWidget& dialog, bool onScreen = false) {
    if (dialog.isVisible()) {
        dialog.raise();
    } else {
        CentreDialog(dialog, onScreen);
        dialog.show();
    }
    dialog.activateWindow();
}

// A field that shows a value the person cannot change: read only, on the
// dialog's ground instead of the white of a field to type into, and left out
// of the Tab order (a click still selects its text for copying).
inline void ShowAsReadOnly(QLineEdit& field) {
    field.setReadOnly(true);
    field.setFocusPolicy(Qt::ClickFocus);
    QPalette look = field.palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    field.setPalette(look);
}

}  // namespace tq::gui
