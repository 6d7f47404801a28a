#include "gui/gui_thread_views.h"

#include <QMetaObject>
#include <QThread>

#include "gui/hex_view_widget.h"

namespace tq::gui {
namespace {
bool OnThreadOf(const QObject& owner) { return QThread::currentThread() == owner.thread(); }
}  // namespace

void RunOnThreadOf(QObject& owner, std::function<void()> call) {
    if (OnThreadOf(owner))
        call();
    else
        QMetaObject::invokeMethod(&owner, std::move(call), Qt::QueuedConnection);
}

void RunOnThreadOfAndWait(QObject& owner, const std::function<void()>& call) {
    if (OnThreadOf(owner))
        call();
    else
        QMetaObject::invokeMethod(&owner, call, Qt::BlockingQueuedConnection);
}

void Marshalled<HexView>::Redraw() {
    RunOnThreadOf(widget_, [&widget = widget_, picture = HexViewWidget::TakePicture(buffer_)] { widget.Show(picture); });
}

void Marshalled<HexView>::SetScrollBar(uint32_t maximum, uint32_t position) {
    RunOnThreadOf(widget_, [&widget = widget_, maximum, position] { widget.SetScrollBar(maximum, position); });
}

void Marshalled<HexView>::SetModified(bool modified) {
    RunOnThreadOf(widget_, [&widget = widget_, modified] { widget.SetModified(modified); });
}

}  // namespace tq::gui
