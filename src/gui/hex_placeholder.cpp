#include "gui/hex_placeholder.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/app/session.h"
#include "gui/gui_thread.h"

namespace tq::gui {

HexPlaceholder::HexPlaceholder(Session& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName("hexViewPlaceholder");
    auto* column = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    const char* headers[] = {"ADDR", "0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F", "ASCII"};
    for (const char* text : headers) {
        auto* label = new QLabel(text, this);
        label->setFont(QFont("Monospace"));
        header->addWidget(label, text[0] == '0' ? 3 : 1);
    }
    column->addLayout(header);
    auto* area = new QFrame(this);
    area->setFrameShape(QFrame::StyledPanel);
    area->setMinimumSize(200, 120);
    auto* inner = new QVBoxLayout(area);
    size_ = new QLabel(area);
    size_->setAlignment(Qt::AlignCenter);
    inner->addWidget(size_);
    column->addWidget(area, 1);
}

void HexPlaceholder::Redraw() {
    const size_t bytes = session_.Buffer.RamFile.Data.size();
    const QString text = QString("%1 bytes (0x%2)").arg(bytes).arg(QString::number(bytes, 16).toUpper());
    PostTo(this, [this, text] { size_->setText(text); });
}

}  // namespace tq::gui
