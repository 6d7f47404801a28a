#include "gui/hex_view_widget.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QGlyphRun>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "core/app/session.h"
#include "core/buffer/buffer_clipboard.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/hex_navigation.h"
#include "core/texts/text_catalogue.h"
#include "gui/session_worker.h"

namespace tq::gui {

namespace {
constexpr int kPadding = 4;      // inside each column, left of the text
constexpr int kTop = 1;          // above the header: 24 rows fit the window's first size
constexpr int kWheelRows = 3;    // rows per wheel notch
constexpr int kFrame = 2;        // the focus frame around the columns
constexpr int kSpacing = 1;      // between the columns
constexpr int kAddressChars = 9;
const char* const kBytesMime = "application/octet-stream";

// The hex column's header: each byte's offset within the row over its cell.
QString HexHeader(uint32_t rowBytes) {
    QString header;
    for (uint32_t i = 0; i < rowBytes; ++i)
        header += rowBytes <= 16 ? QString::number(i, 16).toUpper() + "  "
                                 : QString::number(i, 16).toUpper().rightJustified(2, '0') + ' ';
    return header.trimmed();
}

// Bytes edited since the last file, drawn in this colour on a light tint.
const QColor kChangedText(176, 0, 0);
const QColor kChangedTint(255, 224, 178);
}  // namespace

// One column: its header on the first line, the page's lines below it.
class HexColumn final : public QWidget {
public:
    enum class Kind { Address, Hex, Ascii };
    HexColumn(HexViewWidget& view, Kind kind, const char* name, QString header)
        : QWidget(&view), view_(view), kind_(kind), header_(std::move(header)) {
        setObjectName(name);
        setFocusProxy(&view);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    Kind kind() const { return kind_; }
    QString header() const { return header_; }
    void setHeader(QString header) {
        header_ = std::move(header);
        update();
    }
    // Characters of one row of `rowBytes` bytes in this column.
    int Chars(uint32_t rowBytes) const {
        return kind_ == Kind::Address ? kAddressChars : kind_ == Kind::Hex ? int(rowBytes) * 3 : int(rowBytes);
    }

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
        view_.DrawCells(painter, kTop + ascent, header_.toStdString(), 0, static_cast<size_t>(header_.size()));

        const HexPage& page = view_.page_;
        const std::vector<std::string>& lines =
            kind_ == Kind::Address ? page.addressLines : kind_ == Kind::Hex ? page.hexLines : page.asciiLines;
        const HexSelection selection = view_.selection_;
        const uint32_t rowBytes = page.rowBytes;
        // The caret's character in the hex column, its byte's cell in the text column.
        int markRow = -1, markColumn = 0;
        if (selection.length > 0 && kind_ != Kind::Address) {
            const HexCursor cursor = CursorAt(selection.start, rowBytes);
            markRow = static_cast<int>(cursor.byteInView / rowBytes);
            markColumn = kind_ == Kind::Hex ? static_cast<int>(selection.start % HexLineStride(rowBytes))
                                            : static_cast<int>(cursor.byteInView % rowBytes);
        }
        const QColor text = palette.color(QPalette::Active, QPalette::Text);
        for (size_t row = 0; row < lines.size(); ++row) {
            const int top = kTop + line * static_cast<int>(row + 1);
            if (top > height()) break;
            const std::vector<std::pair<size_t, size_t>> changed = ChangedCells(row);
            for (const auto& [first, count] : changed)
                painter.fillRect(QRect(kPadding + int(first) * width, top, int(count) * width, line), kChangedTint);
            if (kind_ != Kind::Address) PaintFound(painter, row, top, line, width);
            if (static_cast<int>(row) == markRow) {
                const QRect cell(kPadding + markColumn * width, top, width, line);
                painter.fillRect(cell, palette.color(QPalette::Active, QPalette::Highlight));
            }
            painter.setPen(text);
            view_.DrawCells(painter, top + ascent, lines[row], 0, lines[row].size());
            painter.setPen(kChangedText);
            for (const auto& [first, count] : changed) view_.DrawCells(painter, top + ascent, lines[row], first, count);
            if (static_cast<int>(row) == markRow && markColumn < static_cast<int>(lines[row].size())) {
                painter.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
                view_.DrawCells(painter, top + ascent, lines[row], static_cast<size_t>(markColumn), 1);
            }
        }
    }
    // The cells of `row` that show bytes edited since the last file: runs of
    // (first character, characters) in this column's line.
    std::vector<std::pair<size_t, size_t>> ChangedCells(size_t row) const {
        std::vector<std::pair<size_t, size_t>> cells;
        if (kind_ == Kind::Address) return cells;
        const HexPage& page = view_.page_;
        const uint64_t rowStart = uint64_t{row} * page.rowBytes, rowEnd = rowStart + page.rowBytes;
        const size_t cellsPerByte = kind_ == Kind::Hex ? 3 : 1;
        for (const ByteRange& run : page.changed) {
            const uint64_t first = std::max<uint64_t>(run.offset, rowStart);
            const uint64_t end = std::min<uint64_t>(uint64_t{run.offset} + run.count, rowEnd);
            if (first < end)
                cells.emplace_back((first - rowStart) * cellsPerByte,
                                   (end - first) * cellsPerByte - (kind_ == Kind::Hex ? 1 : 0));  // not the last space
        }
        return cells;
    }
    // The selected bytes (a find's match or the person's) that sit on `row`, lightly shaded.
    void PaintFound(QPainter& painter, size_t row, int top, int line, int width) const {
        const BufferSelection& found = view_.found_;
        const HexPage& page = view_.page_;
        if (found.Length == 0) return;
        const uint64_t rowStart = uint64_t{page.viewTop} + row * page.rowBytes;
        const uint64_t first = std::max<uint64_t>(found.Offset, rowStart);
        const uint64_t end = std::min<uint64_t>(uint64_t{found.Offset} + found.Length, rowStart + page.rowBytes);
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
        if (event->button() == Qt::LeftButton)
            view_.ColumnClicked(this, event->pos(), event->modifiers() & Qt::ShiftModifier);
    }

private:
    HexViewWidget& view_;
    Kind kind_;
    QString header_;
};

HexViewWidget::HexViewWidget(Session& session, SessionWorker& worker, QWidget* parent)
    : QWidget(parent), session_(session), worker_(worker) {
    setObjectName("hexView");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The columns are placed by hand (PlaceColumns): their widths follow the
    // bytes per row, which the view's width decides, never the other way round.
    address_ = new HexColumn(*this, HexColumn::Kind::Address, "reDownFileAddr", "ADDR");
    hex_ = new HexColumn(*this, HexColumn::Kind::Hex, "reDownFile", HexHeader(kHexRowBytes));
    ascii_ = new HexColumn(*this, HexColumn::Kind::Ascii, "reDownFileAscii", "ASCII");
    scrollBar_ = new QScrollBar(Qt::Vertical, this);
    scrollBar_->setObjectName("sbDownFile");
    scrollBar_->setRange(0, 0);
    // The engine hears of a new size once the resizing has settled.
    resized_ = new QTimer(this);
    resized_->setSingleShot(true);
    resized_->setInterval(0);
    connect(resized_, &QTimer::timeout, this, &HexViewWidget::TellRows);
    connect(scrollBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (showing_) return;
        const uint32_t position = static_cast<uint32_t>(value) * page_.rowBytes;
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

    // The clipboard: its keys act while the view has the keyboard, so the
    // window's text fields keep their own Ctrl+C and Ctrl+V.
    const struct {
        const char* name;
        QKeySequence keys;
        std::function<void()> step;
    } edits[] = {
        {"MenuBufferCopyHex", QKeySequence::Copy, [this] { Copy(false); }},
        {"MenuBufferCopyBytes", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { Copy(true); }},
        {"MenuBufferPaste", QKeySequence::Paste, [this] { Paste(); }},
        {"MenuBufferSelectAll", QKeySequence::SelectAll,
         [this] { Post([](BufferContext& buffer) { SelectWholeBuffer(buffer); }); }},
    };
    for (const auto& [name, keys, step] : edits) {
        auto* action = new QAction(this);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, step);
        addAction(action);
        editActions_ << action;
    }
    Retranslate(0);
}

QList<QAction*> HexViewWidget::AddEditItems(QMenu* menu) {
    if (menu) {
        menu->addSeparator();
        menu->addActions(editActions_);
    }
    return editActions_;
}

void HexViewWidget::Retranslate(int language) {
    const TextId texts[] = {TextId::CopyHexCommand, TextId::CopyBytesCommand, TextId::PasteCommand,
                            TextId::SelectAllCommand};
    for (int i = 0; i < editActions_.size(); ++i)
        editActions_[i]->setText(QString::fromStdString(Text(language, texts[i])));
}

void HexViewWidget::Copy(bool asBytes) {
    if (!isEnabled()) return;
    worker_.Post([asBytes](Session& session) -> GuiStep {
        const std::optional<std::vector<uint8_t>> bytes = CopySelection(session.Buffer);
        if (!bytes) return {};
        // Hex text always, so a text editor takes it too; the raw bytes beside it on request.
        QString text = QString::fromStdString(HexBytesText(bytes->data(), bytes->size()));
        QByteArray raw = asBytes ? QByteArray(reinterpret_cast<const char*>(bytes->data()),
                                              static_cast<qsizetype>(bytes->size()))
                                 : QByteArray();
        return [text = std::move(text), raw = std::move(raw), asBytes] {
            auto* data = new QMimeData;
            data->setText(text);
            if (asBytes) data->setData(kBytesMime, raw);
            QApplication::clipboard()->setMimeData(data);
        };
    });
}

void HexViewWidget::Paste() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data) return;
    if (data->hasFormat(kBytesMime)) {
        const QByteArray raw = data->data(kBytesMime);
        std::vector<uint8_t> bytes(raw.begin(), raw.end());
        Post([bytes = std::move(bytes)](BufferContext& buffer) { PasteBytes(buffer, bytes); });
        return;
    }
    Post([text = data->text().toStdString()](BufferContext& buffer) { PasteHexText(buffer, text); });
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
    const HexViewState& view = buffer.HexView;
    picture.scrollMaximum =
        static_cast<int>(LastScrollTop(buffer.RamFile.DataLen, view.rows, view.rowBytes) / view.rowBytes);
    picture.scrollValue = static_cast<int>(buffer.RamFile.ViewTop / view.rowBytes);
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
    const size_t stride = HexLineStride(page_.rowBytes);
    const int row = static_cast<int>(textPosition / stride);
    const int column = static_cast<int>(textPosition % stride);
    return {kPadding + column * CharWidth() + CharWidth() / 2, kTop + (row + 1) * LineHeight() + LineHeight() / 2};
}

void HexViewWidget::Post(std::function<void(BufferContext&)> step, bool evenWhileBusy) {
    if (!evenWhileBusy && !isEnabled()) return;  // the buffer belongs to the running operation
    worker_.Post([step = std::move(step)](Session& session) -> GuiStep {
        step(session.Buffer);
        return {};
    });
}

void HexViewWidget::ColumnClicked(const HexColumn* column, QPoint point, bool extend) {
    const int row = (point.y() - kTop) / LineHeight() - 1;
    if (row < 0 || column->kind() == HexColumn::Kind::Address) return;
    const int character = std::max(0, (point.x() - kPadding) / CharWidth());
    // The hex text's position under the point: a point past a row's end is
    // its line break, so the click takes the next row's first digit. A
    // click in the text column takes its byte's high digit.
    const uint32_t rowBytes = page_.rowBytes;
    const size_t inRow = column->kind() == HexColumn::Kind::Hex
                             ? std::min<size_t>(static_cast<size_t>(character), size_t{rowBytes} * 3)
                             : std::min<size_t>(static_cast<size_t>(character), rowBytes - 1) * 3;
    const size_t position = static_cast<size_t>(row) * HexLineStride(rowBytes) + inRow;
    Post([position, extend](BufferContext& buffer) { ClickHexText(buffer, position, extend); });
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
    // The clipboard's keys, also when they arrive as plain keys rather than shortcuts.
    const std::pair<QKeySequence::StandardKey, int> edits[] = {
        {QKeySequence::Copy, 0}, {QKeySequence::Paste, 2}, {QKeySequence::SelectAll, 3}};
    if (control && (modifiers & Qt::ShiftModifier) && event->key() == Qt::Key_C) {
        editActions_[1]->trigger();
        return;
    }
    for (const auto& [key, index] : edits)
        if (event->matches(key)) {
            editActions_[index]->trigger();
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
    const bool extend = modifiers & Qt::ShiftModifier;
    Post([move = *move, extend](BufferContext& buffer) { MoveHexCaret(buffer, move, extend); });
}

void HexViewWidget::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) return;
    Post([rows = -notches * kWheelRows](BufferContext& buffer) { ScrollHexRows(buffer, rows); });
}

int HexViewWidget::WidthFor(uint32_t rowBytes) const {
    int width = 2 * kFrame + scrollBar_->sizeHint().width() + 3 * kSpacing;
    for (const HexColumn* column : {address_, hex_, ascii_}) width += column->Chars(rowBytes) * CharWidth() + 2 * kPadding;
    return width;
}

QSize HexViewWidget::sizeHint() const {
    return {WidthFor(kHexRowBytes), LineHeight() * int(kHexPageRows + 1) + kTop + 2 * kFrame};
}

// Never narrower than 16 bytes a row: the 16 columns and the text column stay whole.
QSize HexViewWidget::minimumSizeHint() const { return {WidthFor(kHexRowBytes), LineHeight() * 4 + kTop + 2 * kFrame}; }

void HexViewWidget::PlaceColumns() {
    // The most bytes per row (in steps of 8) whose columns fit the width.
    const int spare = width() - WidthFor(0);
    rowBytes_ = RowBytesForWidth(static_cast<uint32_t>(std::max(0, spare / std::max(1, CharWidth()))));
    const int inner = height() - 2 * kFrame;
    int x = kFrame;
    for (HexColumn* column : {address_, hex_, ascii_}) {
        const int width = column->Chars(rowBytes_) * CharWidth() + 2 * kPadding;
        column->setGeometry(x, kFrame, width, inner);
        x += width + kSpacing;
    }
    hex_->setHeader(HexHeader(rowBytes_));
    const int barWidth = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(width() - kFrame - barWidth, kFrame, barWidth, inner);
}

void HexViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceColumns();
    resized_->start();
}

void HexViewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    // The frame says where the keys go: strong while the view has them.
    const bool focused = hasFocus();
    const int frame = focused ? kFrame : 1;
    painter.fillRect(rect(), colours.color(QPalette::Active, focused ? QPalette::Highlight : QPalette::Mid));
    painter.fillRect(rect().adjusted(frame, frame, -frame, -frame), colours.color(QPalette::Active, QPalette::Base));
}

void HexViewWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
    // The caret shows at once, on the first byte in view, when there is none yet.
    Post([](BufferContext& buffer) {
        if (!buffer.HexView.hasCaret && buffer.RamFile.DataLen > 0) PlaceHexCaret(buffer, buffer.RamFile.ViewTop);
    });
}

void HexViewWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void HexViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addActions(historyActions_);
    menu.addSeparator();
    menu.addActions(editActions_);
    menu.exec(event->globalPos());
}

void HexViewWidget::TellRows() {
    const int available = height() - 2 * kFrame - kTop - LineHeight();  // below the header
    const uint32_t rows = static_cast<uint32_t>(std::max(1, available / LineHeight()));
    const uint32_t rowBytes = rowBytes_;
    if (rows == rows_ && rowBytes == toldRowBytes_) return;
    rows_ = rows;
    toldRowBytes_ = rowBytes;
    Post([rows, rowBytes](BufferContext& buffer) { SetHexPageShape(buffer, rows, rowBytes); }, true);
}

}  // namespace tq::gui
