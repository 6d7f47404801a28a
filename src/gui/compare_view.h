// The compare view: two images side by side as hex and text, scrolled
// together, the bytes that differ on a tinted cell in bold, a frame round the
// current difference, keys and buttons to step to the next or previous one,
// a summary line and Close. Either side can be replaced by a file, so two
// files can be compared as well. It paints only the rows on screen (pages
// from the engine's compare page), so a 256 MiB image scrolls like a small one.
#pragma once

#include <QAbstractScrollArea>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "core/buffer/compare_view_model.h"

namespace tq::gui {

class MessageBoxes;

// The two images' rows; the view around it holds the document.
class ComparePane final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ComparePane(QWidget* parent);
    void SetDocument(CompareDocument* document);
    void SetSideCaptions(const QString& a, const QString& b);
    // Marks the run from `offset` as the current difference and scrolls it into view.
    void MarkDifference(uint64_t offset);
    uint64_t top() const;
    uint32_t rowBytes() const { return rowBytes_; }
    // Where the hex cell of `offset` is painted on side A or B, in the
    // viewport's coordinates; empty when that row is not on screen.
    QRect HexCellRect(uint64_t offset, bool sideA) const;
    // The tint under differing bytes for a palette: darker on a dark base.
    static QColor DifferenceTint(const QPalette& palette);
    static QColor DifferenceText(const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateScrollRange();
    int LineHeight() const;
    int CharWidth() const;
    int VisibleRows() const;
    // Character columns where each part of a row starts.
    int HexColumn(bool sideA) const;
    int TextColumn(bool sideA) const;

    CompareDocument* document_ = nullptr;
    QString captionA_, captionB_;
    uint32_t rowBytes_ = 16;
    bool marked_ = false;
    uint64_t markedFirst_ = 0, markedLength_ = 0;
};

class CompareView final : public QDialog {
    Q_OBJECT
public:
    CompareView(MessageBoxes& messages, QWidget* parent);
    // Shows `document` in `language`, at its first difference.
    void Open(CompareDocument document, int language);
    void Retranslate(int language);

    const CompareDocument& document() const { return document_; }
    ComparePane* pane() const { return pane_; }
    // The first byte of the current difference; none before the first step on an equal pair.
    std::optional<uint64_t> current() const { return current_; }
    QString summaryText() const { return summary_->text(); }

public slots:
    void NextDifference();
    void PreviousDifference();

private:
    void ChooseFile(bool sideA);
    void Refresh();
    void Step(std::optional<uint64_t> target);

    MessageBoxes& messages_;
    CompareDocument document_;
    int language_ = 2;
    std::optional<uint64_t> current_;
    ComparePane* pane_;
    QLabel* summary_;
    QAction* next_;
    QAction* previous_;
    QToolButton* nextButton_;
    QToolButton* previousButton_;
    QPushButton* leftFile_;
    QPushButton* rightFile_;
    QPushButton* close_;
};

}  // namespace tq::gui
