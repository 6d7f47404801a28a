#include "gui/hex_view_widget.h"

#include <QAction>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QGlyphRun>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "core/app/session.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/hex_navigation.h"
#include "gui/session_worker.h"

namespace tq::gui {

namespace {
constexpr int kPadding = 4;      // inside each column, left of the text
constexpr int kTop = 1;          // above the header: 24 rows fit the window's first size
constexpr int kWheelRows = 3;    // rows per wheel notch
}  // namespace

// One column: its header on the first line, the page's lines below it.
class HexColumn final : public QWidget {
public:
    enum class Kind { Address, Hex, Ascii };
    HexColumn(HexViewWidget& view, Kind kind, const char* name, const char* header, int chars)
        : QWidget(&view), view_(view), kind_(kind), header_(header), chars_(chars) {
        setObjectName(name);
        setFocusProxy(&view);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    Kind kind() const { return kind_; }
    QString header() const { return header_; }
    QSize sizeHint() const override {
        return {view_.CharWidth() * chars_ + 2 * kPadding, view_.LineHeight() * int(kHexPageRows + 1) + kTop};
    }
    QSize minimumSizeHint() const override { return {sizeHint().width(), view_.LineHeight() * 3}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& palette = view_.palette();
        painter.fillRect(rect(), palette.color(QPalette::Active, QPalette::Base));
        painter.setFont(view_.font());
        const int line = view_.LineHeight(), width = view_.CharWidth();
        const int ascent = view_.fontMetrics().ascent();
        painter.fillRect(QRect(0, 0, this->width(), line + kTop), palette.color(QPalette::Active, QPalette::Button));
        painter.setPen(palette.color(QPalette::Active, QPalette::ButtonText));
        painter.drawText(kPadding, kTop + ascent, header_);  // the only text that is shaped

        const HexPage& page = view_.page_;
        const std::vector<std::string>& lines =
            kind_ == Kind::Address ? page.addressLines : kind_ == Kind::Hex ? page.hexLines : page.asciiLines;
        const HexSelection selection = view_.selection_;
        // The caret's character in the hex column, its byte's cell in the text column.
        int markRow = -1, markColumn = 0;
        if (selection.length > 0 && kind_ != Kind::Address) {
            const HexCursor cursor = CursorAt(selection.start);
            markRow = static_cast<int>(cursor.byteInView / kHexRowBytes);
            markColumn = kind_ == Kind::Hex ? static_cast<int>(selection.start % kHexLineStride)
                                            : static_cast<int>(cursor.byteInView % kHexRowBytes);
        }
        const QColor text = palette.color(QPalette::Active, QPalette::Text);
        for (size_t row = 0; row < lines.size(); ++row) {
            const int top = kTop + line * static_cast<int>(row + 1);
            if (top > height()) break;
            if (kind_ != Kind::Address) PaintFound(painter, row, top, line, width);
            if (static_cast<int>(row) == markRow) {
                const QRect cell(kPadding + markColumn * width, top, width, line);
                painter.fillRect(cell, palette.color(QPalette::Active, QPalette::Highlight));
            }
            painter.setPen(text);
            view_.DrawCells(painter, top + ascent, lines[row], 0, lines[row].size());
            if (static_cast<int>(row) == markRow && markColumn < static_cast<int>(lines[row].size())) {
                painter.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
                view_.DrawCells(painter, top + ascent, lines[row], static_cast<size_t>(markColumn), 1);
            }
        }
    }
    // The bytes of the last find's match that sit on `row`, lightly shaded.
    void PaintFound(QPainter& painter, size_t row, int top, int line, int width) const {
        const BufferSelection& found = view_.found_;
        const HexPage& page = view_.page_;
        if (found.Length == 0) return;
        const uint64_t rowStart = uint64_t{page.viewTop} + row * kHexRowBytes;
        const uint64_t first = std::max<uint64_t>(found.Offset, rowStart);
        const uint64_t end = std::min<uint64_t>(uint64_t{found.Offset} + found.Length, rowStart + kHexRowBytes);
        if (first >= end) return;
        const int cellsPerByte = kind_ == Kind::Hex ? 3 : 1;
        const int from = static_cast<int>(first - rowStart) * cellsPerByte;
        const int cells = static_cast<int>(end - first) * cellsPerByte - (kind_ == Kind::Hex ? 1 : 0);
        QColor shade = view_.palette().color(QPalette::Active, QPalette::Highlight);
        shade.setAlpha(70);
        painter.fillRect(QRect(kPadding + from * width, top, cells * width, line), shade);
    }
    void mousePressEvent(QMouseEvent* event) override {
        view_.setFocus(Qt::MouseFocusReason);
        if (event->button() == Qt::LeftButton) view_.ColumnClicked(this, event->pos());
    }

private:
    HexViewWidget& view_;
    Kind kind_;
    QString header_;
    int chars_;
};

HexViewWidget::HexViewWidget(Session& session, SessionWorker& worker, QWidget* parent)
    : QWidget(parent), session_(session), worker_(worker) {
    setObjectName("hexView");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    address_ = new HexColumn(*this, HexColumn::Kind::Address, "reDownFileAddr", "ADDR", 9);
    hex_ = new HexColumn(*this, HexColumn::Kind::Hex, "reDownFile", "0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F", 48);
    ascii_ = new HexColumn(*this, HexColumn::Kind::Ascii, "reDownFileAscii", "ASCII", 16);
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName("sbDownFile");
    scrollBar_->setRange(0, 0);
    for (QWidget* column : {static_cast<QWidget*>(address_), static_cast<QWidget*>(hex_), static_cast<QWidget*>(ascii_)})
        row->addWidget(column);
    row->addWidget(scrollBar_);
    row->addStretch(1);
    // The engine hears of a new size once the resizing has settled.
    resized_ = new QTimer(this);
    resized_->setSingleShot(true);
    resized_->setInterval(0);
    connect(resized_, &QTimer::timeout, this, &HexViewWidget::TellRows);
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (showing_) return;
        const uint32_t position = static_cast<uint32_t>(value) * kHexRowBytes;
        Post([position](BufferContext& buffer) { ScrollHexView(buffer, position); });
    });

    // Undo and redo anywhere in the window; the window's line edits keep their own.
    const struct {
        const char* name;
        QKeySequence keys;
        bool (*step)(BufferContext&);
    } history[] = {{"MenuBufferUndo", QKeySequence(Qt::CTRL | Qt::Key_Z), &UndoBufferEdit},
                   {"MenuBufferRedo", QKeySequence(Qt::CTRL | Qt::Key_Y), &RedoBufferEdit}};
    for (const auto& [name, keys, step] : history) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, step = step] {
            Post([step](BufferContext& buffer) { step(buffer); });
        });
        addAction(action);
        historyActions_ << action;
    }
}

int HexViewWidget::LineHeight() const { return fontMetrics().height(); }

// The page holds only printable ASCII and spaces in a fixed-pitch font: its
// glyphs are looked up once and placed on a grid, with no text shaping.
void HexViewWidget::DrawCells(QPainter& painter, int baseline, const std::string& line, size_t first,
                              size_t count) const {
    if (glyphs_.isEmpty()) {
        raw_ = QRawFont::fromFont(font());
        QString printable;
        for (int c = 0x20; c < 0x7F; ++c) printable += QLatin1Char(static_cast<char>(c));
        glyphs_ = raw_.glyphIndexesForString(printable);
    }
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(static_cast<qsizetype>(count));
    positions.reserve(static_cast<qsizetype>(count));
    const double width = CharWidth();
    for (size_t i = first; i < first + count && i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c <= 0x20 || c >= 0x7F) continue;
        indexes << glyphs_[c - 0x20];
        positions << QPointF(kPadding + static_cast<double>(i) * width, baseline);
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, 0), run);
}
int HexViewWidget::CharWidth() const { return fontMetrics().horizontalAdvance(QLatin1Char('0')); }

HexViewWidget::Picture HexViewWidget::TakePicture(const BufferContext& buffer) {
    Picture picture;
    picture.page = BuildHexPage(buffer);
    picture.selection = CaretSelection(buffer, picture.page);
    picture.found = buffer.Selection;
    picture.scrollMaximum = static_cast<int>(LastScrollTop(buffer.RamFile.DataLen, buffer.HexView.rows) / kHexRowBytes);
    picture.scrollValue = static_cast<int>(buffer.RamFile.ViewTop / kHexRowBytes);
    return picture;
}

void HexViewWidget::Redraw() { Show(TakePicture(session_.Buffer)); }

void HexViewWidget::SetModified(bool modified) { emit modifiedChanged(modified); }

void HexViewWidget::Show(const Picture& picture) {
    page_ = picture.page;
    selection_ = picture.selection;
    found_ = picture.found;
    showing_ = true;
    scrollBar_->setRange(0, picture.scrollMaximum);
    scrollBar_->setPageStep(static_cast<int>(rows_));
    if (!scrollBar_->isSliderDown()) scrollBar_->setValue(picture.scrollValue);
    showing_ = false;
    address_->update();
    hex_->update();
    ascii_->update();
}

QPoint HexViewWidget::HexCharPoint(size_t textPosition) const {
    const int row = static_cast<int>(textPosition / kHexLineStride);
    const int column = static_cast<int>(textPosition % kHexLineStride);
    return {kPadding + column * CharWidth() + CharWidth() / 2, kTop + (row + 1) * LineHeight() + LineHeight() / 2};
}

void HexViewWidget::Post(std::function<void(BufferContext&)> step, bool evenWhileBusy) {
    if (!evenWhileBusy && !isEnabled()) return;  // the buffer belongs to the running operation
    worker_.Post([step = std::move(step)](Session& session) -> GuiStep {
        step(session.Buffer);
        return {};
    });
}

void HexViewWidget::ColumnClicked(const HexColumn* column, QPoint point) {
    const int row = (point.y() - kTop) / LineHeight() - 1;
    if (row < 0 || column->kind() == HexColumn::Kind::Address) return;
    const int character = std::max(0, (point.x() - kPadding) / CharWidth());
    // The hex text's position under the point: a point past a row's end is
    // its line break, so the click takes the next row's first digit. A
    // click in the text column takes its byte's high digit.
    const size_t inRow = column->kind() == HexColumn::Kind::Hex
                             ? std::min<size_t>(static_cast<size_t>(character), kHexRowChars)
                             : std::min<size_t>(static_cast<size_t>(character), kHexRowBytes - 1) * 3;
    const size_t position = static_cast<size_t>(row) * kHexLineStride + inRow;
    Post([position](BufferContext& buffer) { ClickHexText(buffer, position); });
}

void HexViewWidget::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool control = modifiers & Qt::ControlModifier;
    if (event->matches(QKeySequence::Undo) || (control && event->key() == Qt::Key_Z)) {
        Post([](BufferContext& buffer) { UndoBufferEdit(buffer); });
        return;
    }
    if (event->matches(QKeySequence::Redo) || (control && event->key() == Qt::Key_Y)) {
        Post([](BufferContext& buffer) { RedoBufferEdit(buffer); });
        return;
    }
    const QString text = event->text();
    if (text.size() == 1 && !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        const char key = text.at(0).toUpper().toLatin1();
        if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'F')) {
            Post([key](BufferContext& buffer) { TypeHexKey(buffer, key); });
            return;
        }
    }
    std::optional<HexMove> move;
    switch (event->key()) {
    case Qt::Key_Left: move = HexMove::Left; break;
    case Qt::Key_Right: move = HexMove::Right; break;
    case Qt::Key_Up: move = HexMove::Up; break;
    case Qt::Key_Down: move = HexMove::Down; break;
    case Qt::Key_PageUp: move = HexMove::PageUp; break;
    case Qt::Key_PageDown: move = HexMove::PageDown; break;
    case Qt::Key_Home: move = control ? HexMove::First : HexMove::RowStart; break;
    case Qt::Key_End: move = control ? HexMove::Last : HexMove::RowEnd; break;
    default: break;
    }
    if (!move) {
        QWidget::keyPressEvent(event);
        return;
    }
    Post([move = *move](BufferContext& buffer) { MoveHexCaret(buffer, move); });
}

void HexViewWidget::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) return;
    Post([rows = -notches * kWheelRows](BufferContext& buffer) { ScrollHexRows(buffer, rows); });
}

void HexViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    resized_->start();
}

void HexViewWidget::TellRows() {
    const int available = height() - kTop - LineHeight();  // below the header
    const uint32_t rows = static_cast<uint32_t>(std::max(1, available / LineHeight()));
    if (rows == rows_) return;
    rows_ = rows;
    Post([rows](BufferContext& buffer) { SetHexPageRows(buffer, rows); }, true);
}

}  // namespace tq::gui
