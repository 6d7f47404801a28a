// Where the hex view of the buffer goes: for now the column headers and the
// buffer's size, redrawn whenever the engine says the buffer changed.
#pragma once

#include <QLabel>
#include <QWidget>

#include "core/base/views.h"

namespace tq {
class Session;
}

namespace tq::gui {

class HexPlaceholder final : public QWidget, public HexView {
    Q_OBJECT
public:
    HexPlaceholder(Session& session, QWidget* parent = nullptr);
    // Called by the thread that holds the session; reads the buffer there.
    void Redraw() override;
    QString SizeText() const { return size_->text(); }

private:
    Session& session_;
    QLabel* size_;
};

}  // namespace tq::gui
