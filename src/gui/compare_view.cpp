#include "gui/compare_view.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "core/buffer/image_formats.h"
#include "core/texts/text_catalogue.h"
#include "gui/message_boxes.h"

namespace tq::gui {

namespace {

constexpr int kAddressChars = 9;  // up to eight digits and a space
constexpr int kGapChars = 3;      // between the two sides, a rule in its middle
constexpr int kPadding = 4;

QString Q(const std::string& text) { return QString::fromStdString(text); }

bool DarkPalette(const QPalette& palette) { return palette.color(QPalette::Active, QPalette::Base).lightness() < 128; }

}  // namespace

ComparePane::ComparePane(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("comparePane");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

QColor ComparePane::DifferenceTint(const QPalette& palette) {
    return DarkPalette(palette) ? QColor(128, 32, 40) : QColor(255, 205, 205);
}

QColor ComparePane::DifferenceText(const QPalette& palette) {
    return DarkPalette(palette) ? QColor(255, 228, 228) : QColor(150, 0, 0);
}

void ComparePane::SetDocument(CompareDocument* document) {
    document_ = document;
    marked_ = false;
    verticalScrollBar()->setValue(0);
    UpdateScrollRange();
    viewport()->update();
}

void ComparePane::SetSideCaptions(const QString& a, const QString& b) {
    captionA_ = a;
    captionB_ = b;
    viewport()->update();
}

int ComparePane::LineHeight() const { return fontMetrics().height(); }
int ComparePane::CharWidth() const { return fontMetrics().horizontalAdvance(QLatin1Char('0')); }
int ComparePane::VisibleRows() const { return std::max(1, (viewport()->height() - LineHeight() - 4) / LineHeight()); }
int ComparePane::HexColumn(bool sideA) const { return sideA ? kAddressChars + 1 : TextColumn(true) + int(rowBytes_) + kGapChars; }
int ComparePane::TextColumn(bool sideA) const { return HexColumn(sideA) + int(rowBytes_) * 3; }

uint64_t ComparePane::top() const { return uint64_t(verticalScrollBar()->value()) * rowBytes_; }

void ComparePane::UpdateScrollRange() {
    const uint64_t length = document_ ? CompareLength(*document_) : 0;
    const uint64_t rows = (length + rowBytes_ - 1) / rowBytes_;
    const int visible = VisibleRows();
    verticalScrollBar()->setRange(0, int(std::max<int64_t>(0, int64_t(rows) - visible)));
    verticalScrollBar()->setPageStep(visible);
    const int width = (TextColumn(false) + int(rowBytes_)) * CharWidth() + 2 * kPadding;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void ComparePane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // Sixteen bytes a side where they fit, else eight; the top byte stays on screen.
    const uint64_t shown = top();
    const int sixteen = (kAddressChars + 1 + 2 * 16 * 4 + kGapChars) * CharWidth() + 2 * kPadding;
    rowBytes_ = viewport()->width() >= sixteen ? 16 : 8;
    UpdateScrollRange();
    verticalScrollBar()->setValue(int(shown / rowBytes_));
}

void ComparePane::keyPressEvent(QKeyEvent* event) {
    // The arrows and Page Up/Down scroll as in any scroll area; Home and End go to the ends.
    QScrollBar* bar = verticalScrollBar();
    if (event->key() == Qt::Key_Home) return bar->setValue(bar->minimum());
    if (event->key() == Qt::Key_End) return bar->setValue(bar->maximum());
    QAbstractScrollArea::keyPressEvent(event);
}

void ComparePane::MarkDifference(uint64_t offset) {
    if (!document_) return;
    const auto& runs = document_->difference.runs;
    const auto run = std::lower_bound(runs.begin(), runs.end(), offset,
                                      [](const DifferenceRun& r, uint64_t value) { return r.first < value; });
    marked_ = run != runs.end() && run->first == offset;
    markedFirst_ = offset;
    markedLength_ = marked_ ? run->length : 0;
    const int64_t row = int64_t(offset / rowBytes_);
    const int visible = VisibleRows();
    const int first = verticalScrollBar()->value();
    if (row < first || row >= first + visible) verticalScrollBar()->setValue(int(std::max<int64_t>(0, row - visible / 3)));
    viewport()->update();
}

QRect ComparePane::HexCellRect(uint64_t offset, bool sideA) const {
    const uint64_t first = top();
    if (offset < first) return {};
    const uint64_t row = (offset - first) / rowBytes_;
    if (row >= uint64_t(VisibleRows())) return {};
    const int width = CharWidth(), line = LineHeight();
    const int x = kPadding - horizontalScrollBar()->value() + (HexColumn(sideA) + int(offset % rowBytes_) * 3) * width;
    return QRect(x, line + 4 + int(row) * line, 2 * width, line);
}

void ComparePane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.color(QPalette::Active, QPalette::Base));
    const int width = CharWidth(), line = LineHeight(), ascent = fontMetrics().ascent();
    const int left = kPadding - horizontalScrollBar()->value();
    const int header = line + 4;
    const auto x = [&](int column) { return left + column * width; };

    painter.fillRect(QRect(0, 0, viewport()->width(), header), colours.color(QPalette::Active, QPalette::Button));
    painter.setPen(colours.color(QPalette::Active, QPalette::ButtonText));
    painter.drawText(x(HexColumn(true)), 2 + ascent, captionA_);
    painter.drawText(x(HexColumn(false)), 2 + ascent, captionB_);
    const int rule = x(TextColumn(true) + int(rowBytes_)) + kGapChars * width / 2;
    painter.setPen(colours.color(QPalette::Active, QPalette::Mid));
    painter.drawLine(rule, 0, rule, viewport()->height());
    if (!document_) return;

    const uint64_t first = top();
    const ComparePage page = BuildComparePage(*document_, first, uint32_t(VisibleRows()), rowBytes_);
    // Each byte's cell at its place on the grid, so a font whose advances are
    // not whole pixels never drifts off the tints and frames.
    const auto cells = [&](int column, int baseline, const std::string& line, size_t stride, size_t from, size_t to) {
        for (size_t cell = from; cell < to && cell * stride < line.size(); ++cell)
            painter.drawText(x(column + int(cell * stride)), baseline,
                             QString::fromLatin1(line.data() + cell * stride, int(std::min<size_t>(stride == 3 ? 2 : 1, line.size() - cell * stride))));
    };
    painter.setPen(colours.color(QPalette::Active, QPalette::Text));
    for (size_t row = 0; row < page.addressLines.size(); ++row) {
        const int baseline = header + int(row) * line + ascent;
        painter.drawText(x(0), baseline, Q(page.addressLines[row]));
        for (const bool sideA : {true, false}) {
            const HexPage& side = sideA ? page.a : page.b;
            if (row >= side.hexLines.size()) continue;
            cells(HexColumn(sideA), baseline, side.hexLines[row], 3, 0, rowBytes_);
            cells(TextColumn(sideA), baseline, side.asciiLines[row], 1, 0, rowBytes_);
        }
    }

    // Differing bytes: a tinted cell and bold text of their own colour, on
    // each side that holds the byte (colour alone would not do).
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QColor tint = DifferenceTint(colours), marked = DifferenceText(colours);
    for (const ByteRange& run : page.differing) {
        for (uint64_t i = run.offset; i < uint64_t(run.offset) + run.count; ++i) {
            const size_t row = size_t(i / rowBytes_);
            const int cell = int(i % rowBytes_);
            const int top = header + int(row) * line;
            for (const bool sideA : {true, false}) {
                const HexPage& side = sideA ? page.a : page.b;
                if (row >= side.hexLines.size() || size_t(cell) >= side.asciiLines[row].size()) continue;
                painter.fillRect(QRect(x(HexColumn(sideA) + cell * 3), top, 2 * width, line), tint);
                painter.fillRect(QRect(x(TextColumn(sideA) + cell), top, width, line), tint);
                painter.setPen(marked);
                cells(HexColumn(sideA), top + ascent, side.hexLines[row], 3, size_t(cell), size_t(cell) + 1);
                cells(TextColumn(sideA), top + ascent, side.asciiLines[row], 1, size_t(cell), size_t(cell) + 1);
            }
        }
    }

    // The current difference: a frame round its cells, row by row.
    if (!marked_) return;
    const uint64_t shownEnd = first + uint64_t(VisibleRows()) * rowBytes_;
    const uint64_t from = std::max(markedFirst_, first), to = std::min(markedFirst_ + markedLength_, shownEnd);
    painter.setPen(QPen(colours.color(QPalette::Active, QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    for (uint64_t rowStart = from; rowStart < to;) {
        const uint64_t rowEnd = std::min(to, (rowStart / rowBytes_ + 1) * rowBytes_);
        const int top = header + int((rowStart - first) / rowBytes_) * line;
        const int cell = int(rowStart % rowBytes_), cells = int(rowEnd - rowStart);
        for (const bool sideA : {true, false})
            painter.drawRect(QRect(x(HexColumn(sideA) + cell * 3) - 2, top, (cells * 3 - 1) * width + 4, line));
        rowStart = rowEnd;
    }
}

CompareView::CompareView(MessageBoxes& messages, QWidget* parent) : QDialog(parent), messages_(messages) {
    setObjectName("CompareView");
    setAttribute(Qt::WA_DeleteOnClose, false);
    pane_ = new ComparePane(this);
    summary_ = new QLabel(this);
    summary_->setObjectName("compareSummary");
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setWordWrap(true);
    next_ = new QAction(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    next_->setObjectName("compareNext");
    next_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));
    previous_ = new QAction(style()->standardIcon(QStyle::SP_ArrowUp), QString(), this);
    previous_->setObjectName("comparePrevious");
    previous_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    addAction(next_);
    addAction(previous_);
    connect(next_, &QAction::triggered, this, &CompareView::NextDifference);
    connect(previous_, &QAction::triggered, this, &CompareView::PreviousDifference);
    previousButton_ = new QToolButton(this);
    previousButton_->setDefaultAction(previous_);
    nextButton_ = new QToolButton(this);
    nextButton_->setDefaultAction(next_);
    for (QToolButton* button : {previousButton_, nextButton_}) button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close_ = buttons->button(QDialogButtonBox::Close);
    leftFile_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    rightFile_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    leftFile_->setObjectName("compareLeftFile");
    rightFile_->setObjectName("compareRightFile");
    for (QPushButton* button : {leftFile_, rightFile_}) button->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(leftFile_, &QPushButton::clicked, this, [this] { ChooseFile(true); });
    connect(rightFile_, &QPushButton::clicked, this, [this] { ChooseFile(false); });

    auto* steps = new QHBoxLayout;
    steps->addWidget(previousButton_);
    steps->addWidget(nextButton_);
    steps->addWidget(summary_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pane_, 1);
    layout->addLayout(steps);
    layout->addWidget(buttons);
    resize(1080, 620);
    Retranslate(language_);
}

void CompareView::Retranslate(int language) {
    language_ = language;
    setWindowTitle(Q(Text(language, TextId::CompareTitle)));
    const auto name = [&](QAction* action, TextId id) {
        action->setText(Q(Text(language, id)));
        action->setToolTip(Q(Text(language, TextId::CompareKeyTip,
                                  {Text(language, id), action->shortcut().toString(QKeySequence::NativeText).toStdString()})));
    };
    name(next_, TextId::CompareNextDifference);
    name(previous_, TextId::ComparePreviousDifference);
    leftFile_->setText(Q(Text(language, TextId::CompareLeftFile)));
    rightFile_->setText(Q(Text(language, TextId::CompareRightFile)));
    close_->setText(Q(Text(language, TextId::CloseCommand)));
    Refresh();
}

void CompareView::Open(CompareDocument document, int language) {
    document_ = std::move(document);
    pane_->SetDocument(&document_);
    current_.reset();
    Retranslate(language);
    show();  // laid out first, so the first difference is placed in the rows the view really has
    raise();
    activateWindow();
    Step(document_.difference.runs.empty() ? std::nullopt : std::optional(document_.difference.runs.front().first));
    pane_->setFocus();
}

void CompareView::Refresh() {
    const auto caption = [&](const CompareSide& side) {
        if (side.image.Data.empty()) return Q(Text(language_, TextId::CompareNoImage));
        return Q(Text(language_, TextId::CompareSideCaption, {side.name, std::to_string(side.image.DataLen)}));
    };
    pane_->SetSideCaptions(caption(document_.a), caption(document_.b));
    summary_->setText(document_.compared
                          ? Q(CompareSummaryLine(language_, SummarizeDifference(document_.difference, document_.address)))
                          : QString());
    next_->setEnabled(!document_.difference.runs.empty());
    previous_->setEnabled(!document_.difference.runs.empty());
}

void CompareView::Step(std::optional<uint64_t> target) {
    if (!target) return;
    current_ = target;
    pane_->MarkDifference(*target);
}

void CompareView::NextDifference() {
    const auto& runs = document_.difference.runs;
    if (!current_) return Step(runs.empty() ? std::nullopt : std::optional(runs.front().first));
    Step(tq::NextDifference(document_, *current_));
}

void CompareView::PreviousDifference() {
    if (current_) Step(tq::PreviousDifference(document_, *current_));
}

void CompareView::ChooseFile(bool sideA) {
    const std::string path =
        messages_.ChooseOpenFile(Text(language_, TextId::CompareChooseFile), OpenFileFilters(language_), "", "");
    if (path.empty()) return;
    std::string error;
    bool loaded = false;
    try {  // a slot lets no exception into the event loop (a file too large for memory)
        loaded = LoadCompareSide(document_, sideA, path, language_, error);
    } catch (const std::exception& e) {
        error = path + ": " + e.what();
    }
    if (!loaded) {
        messages_.ShowError(error);
        return;
    }
    pane_->SetDocument(&document_);
    current_.reset();
    Refresh();
    NextDifference();
}

}  // namespace tq::gui
