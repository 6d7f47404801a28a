#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "gui/compare_view.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

// A 64 KiB file opened on the 8 MiB chip; the chip holds the same bytes but
// at 0x10, 0x11, 0x200 and 0x9000.
struct CompareRig : GuiRig {
    std::string bytes = std::string(64 * 1024, '\0');
    CompareRig() {
        EXPECT_TRUE(StartWithGD25Q64Selected());
        Trigger("Menu_Settings_Lang_EN");
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
        folder.WriteBytes("image.bin", bytes);
        window->OpenFile(QString::fromStdString((folder.path() / "image.bin").string()));
        WaitIdle();
        std::vector<uint8_t>& chip = sim.chipMemory();
        std::copy(bytes.begin(), bytes.end(), chip.begin());
        for (size_t offset : {0x10, 0x11, 0x200, 0x9000}) chip[offset] ^= 0x5A;
    }
    gui::CompareView* View() { return window->findChild<gui::CompareView*>("CompareView"); }
    // The colour just inside the top left corner of a byte's hex cell.
    QColor Cell(uint64_t offset, bool sideA) {
        gui::ComparePane* pane = View()->pane();
        const QRect cell = pane->HexCellRect(offset, sideA);
        EXPECT_FALSE(cell.isEmpty()) << offset;
        return pane->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(1, 1));
    }
};

TEST(CompareView, ColoursTheDifferingBytesAndStepsThroughThem) {
    CompareRig rig;
    const std::vector<uint8_t> buffer = rig.session->Buffer.RamFile.Data;
    rig.Trigger("MenuBufferCompareChip");
    gui::CompareView* view = rig.View();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->summaryText(), "Differing bytes: 4, ranges: 3, first: 0x000010, last: 0x009000");
    EXPECT_EQ(rig.session->Buffer.RamFile.Data, buffer);

    const QPalette& palette = view->pane()->palette();
    const QColor tint = gui::ComparePane::DifferenceTint(palette);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    for (const bool sideA : {true, false}) {
        EXPECT_EQ(rig.Cell(0x11, sideA), tint);
        EXPECT_EQ(rig.Cell(0x12, sideA), base);
    }
    QPalette dark = palette;
    dark.setColor(QPalette::Base, Qt::black);
    EXPECT_NE(gui::ComparePane::DifferenceTint(dark), tint);  // a dark palette has its own tint

    // Opened at the first difference; Alt+Down and Alt+Up step, and stop at the ends.
    EXPECT_EQ(view->current(), 0x10u);
    const struct {
        Qt::Key key;
        uint64_t current;
    } steps[] = {{Qt::Key_Down, 0x200}, {Qt::Key_Down, 0x9000}, {Qt::Key_Down, 0x9000},
                 {Qt::Key_Up, 0x200},   {Qt::Key_Up, 0x10},     {Qt::Key_Up, 0x10}};
    for (const auto& step : steps) {
        QTest::keyClick(view->pane(), step.key, Qt::AltModifier);
        EXPECT_EQ(view->current(), step.current);
        EXPECT_EQ(rig.Cell(step.current, true), tint);  // scrolled into view
    }

    // The right side replaced by a file: the buffer against that file.
    std::string other = rig.bytes;
    other[0x30] ^= 1;
    rig.folder.WriteBytes("other.bin", other);
    rig.window->messages().SetFilePresenter([&](bool, const QString&, const QString&, const QString&, const QString&) {
        return QString::fromStdString((rig.folder.path() / "other.bin").string());
    });
    view->findChild<QPushButton*>("compareRightFile")->click();
    EXPECT_EQ(view->summaryText(), "Differing bytes: 1, ranges: 1, first: 0x000030, last: 0x000030");
    EXPECT_EQ(view->current(), 0x30u);
}

}  // namespace
}  // namespace tq::testing
