// The hex view of the buffer: address column reDownFileAddr, hex column
// reDownFile and text column reDownFileAscii under their headers, and the
// scroll bar sbDownFile at the right edge. It paints the page the engine
// built and nothing more, so a redraw costs the same for any buffer size;
// clicks, keys, the wheel, the scroll bar, the clipboard and the view's size
// (rows, and bytes per row in steps of 8) go to the engine as jobs on the
// session worker. A frame shows when the view has the keyboard; bytes edited
// since the last file are drawn in colour. The window disables the view
// while an operation runs.
#pragma once

#include <QAction>
#include <QMenu>
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
    // Copy as hex text, copy bytes, paste, select all: added to `menu` (the
    // window's Buffer menu) and returned so the window can disable them
    // while busy. Their keys act while the view has the keyboard.
    QList<QAction*> AddEditItems(QMenu* menu);
    void Retranslate(int language);
    // Where the character at `textPosition` of the hex text is painted, in
    // the hex column's coordinates.
    QPoint HexCharPoint(size_t textPosition) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Bytes per row the view has room for now.
    uint32_t rowBytes() const { return rowBytes_; }

signals:
    void modifiedChanged(bool modified);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class HexColumn;
    // Runs `step` on the worker with the buffer, unless the view is disabled.
    void Post(std::function<void(BufferContext&)> step, bool evenWhileBusy = false);
    void ColumnClicked(const HexColumn* column, QPoint point, bool extend);
    void TellRows();
    void PlaceColumns();
    // The view's width for rows of `rowBytes` bytes, frame and scroll bar included.
    int WidthFor(uint32_t rowBytes) const;
    void Copy(bool asBytes);
    void Paste();
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
    QList<QAction*> editActions_;   // copy as hex, copy bytes, paste, select all
    uint32_t rows_ = kHexPageRows;  // rows the view has room for, as last told to the engine
    uint32_t rowBytes_ = kHexRowBytes;
    uint32_t toldRowBytes_ = kHexRowBytes;
    bool showing_ = false;          // setting the scroll bar from a page, not from the person
    mutable QRawFont raw_;          // the font's glyphs for 0x20..0x7E, looked up at the first paint
    mutable QList<quint32> glyphs_;
};

}  // namespace tq::gui
