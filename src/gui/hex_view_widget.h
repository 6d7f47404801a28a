// The hex view of the buffer: address column reDownFileAddr, hex column
// reDownFile and text column reDownFileAscii under their fixed headers, and
// the scroll bar sbDownFile. It paints the page the engine built and nothing
// more, so a redraw costs the same for any buffer size; clicks, keys, the
// wheel, the scroll bar and the window's size go to the engine as jobs on the
// session worker. The window disables the view while an operation runs.
#pragma once

#include <QAction>
#include <QRawFont>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/base/views.h"
#include "core/buffer/buffer_selection.h"
#include "core/buffer/hex_cursor.h"
#include "core/buffer/hex_view_model.h"

namespace tq {
class Session;
struct BufferContext;
}  // namespace tq

namespace tq::gui {

class SessionWorker;
class HexColumn;

class HexViewWidget final : public QWidget, public HexView {
    Q_OBJECT
public:
    HexViewWidget(Session& session, SessionWorker& worker, QWidget* parent = nullptr);

    // What the view paints: one page of the buffer with its caret and
    // scroll bar. Taken on the thread that holds the session.
    struct Picture {
        HexPage page;
        HexSelection selection;
        BufferSelection found;  // the last find's match, in buffer offsets
        int scrollMaximum = 0;  // in rows
        int scrollValue = 0;
    };
    static Picture TakePicture(const BufferContext& buffer);
    void Show(const Picture& picture);

    // The session's buffer, on the thread that holds the session.
    void Redraw() override;
    void SetModified(bool modified) override;

    // What the view shows now (window thread).
    const HexPage& page() const { return page_; }
    HexSelection selection() const { return selection_; }
    // Undo and Redo (Ctrl+Z, Ctrl+Y), for the window's Buffer menu.
    const QList<QAction*>& historyActions() const { return historyActions_; }
    // Where the character at `textPosition` of the hex text is painted, in
    // the hex column's coordinates.
    QPoint HexCharPoint(size_t textPosition) const;

signals:
    void modifiedChanged(bool modified);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class HexColumn;
    // Runs `step` on the worker with the buffer, unless the view is disabled.
    void Post(std::function<void(BufferContext&)> step, bool evenWhileBusy = false);
    void ColumnClicked(const HexColumn* column, QPoint point);
    void TellRows();
    int LineHeight() const;
    void DrawCells(QPainter& painter, int baseline, const std::string& line, size_t first, size_t count) const;
    int CharWidth() const;

    Session& session_;
    SessionWorker& worker_;
    HexColumn* address_;
    HexColumn* hex_;
    HexColumn* ascii_;
    QScrollBar* scrollBar_;
    QTimer* resized_;
    HexPage page_;
    HexSelection selection_;
    BufferSelection found_;
    QList<QAction*> historyActions_;
    uint32_t rows_ = kHexPageRows;  // rows the view has room for, as last told to the engine
    bool showing_ = false;          // setting the scroll bar from a page, not from the person
    mutable QRawFont raw_;          // the font's glyphs for 0x20..0x7E, looked up at the first paint
    mutable QList<quint32> glyphs_;
};

}  // namespace tq::gui
