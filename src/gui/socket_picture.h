// A picture of the programmer's socket (imgSocketPinout, imgSocket18V),
// drawn from an SVG resource at whatever size the layout gives it.
#pragma once

#include <QSvgRenderer>
#include <QWidget>

namespace tq::gui {

class SocketPictureWidget final : public QWidget {
    Q_OBJECT
public:
    SocketPictureWidget(const QString& objectName, const QString& resource, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {220, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer renderer_;
};

}  // namespace tq::gui
