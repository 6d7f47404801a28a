#include "gui/socket_picture.h"

#include <QPainter>

namespace tq::gui {

SocketPictureWidget::SocketPictureWidget(const QString& objectName, const QString& resource, QWidget* parent)
    : QWidget(parent), renderer_(resource) {
    setObjectName(objectName);
    // The picture gives way first when the window is short.
    setMinimumSize(110, 60);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
}

void SocketPictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Keep the drawing's proportions inside whatever rectangle we got.
    QSizeF size = renderer_.defaultSize();
    size.scale(QSizeF(rect().size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    renderer_.render(&painter, target);
}

}  // namespace tq::gui
