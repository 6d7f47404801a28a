#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "core/app/chip_selection.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/file_open_save.h"
#include "gui/hex_view_widget.h"
#include "gui_rig.h"

namespace tq::testing {
namespace {

// A 1000-byte file of counting bytes (0x00 ... 0xE7) opened on an 8 MiB chip.
struct HexViewRig : GuiRig {
    gui::HexViewWidget& view;
    HexViewRig() : view(window->hexView()) {
        EXPECT_TRUE(Start("GD25Q64"));
        EXPECT_TRUE(SelectChipByName(*session, "GD25Q64"));
        std::string bytes(1000, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
        folder.WriteBytes("image.bin", bytes);
        window->OpenFile(QString::fromStdString((folder.path() / "image.bin").string()));
        WaitIdle();
    }
    QWidget* Column(const char* name) { return view.findChild<QWidget*>(name); }
    uint8_t Byte(size_t offset) const { return session->Buffer.RamFile.Data[offset]; }
};

TEST(HexView, ClickingADigitAndTypingA5Over3CEditsTheBufferAndTheChecksum) {
    HexViewRig rig;
    ASSERT_EQ(rig.Byte(0x3C), 0x3C);
    const auto& data = rig.session->Buffer.RamFile.Data;
    const uint32_t before = CheckSum32(0, data.data(), data.size());
    QTest::mouseClick(rig.Column("reDownFile"), Qt::LeftButton, {}, rig.view.HexCharPoint(3 * 49 + 12 * 3));
    rig.WaitIdle();
    EXPECT_EQ(rig.view.selection(), (HexSelection{3 * 49 + 36, 1}));
    QTest::keyClicks(&rig.view, "a5");
    rig.WaitIdle();
    EXPECT_EQ(rig.Byte(0x3C), 0xA5);
    EXPECT_EQ(rig.view.page().hexLines[3].substr(36, 3), "A5 ");
    EXPECT_EQ(rig.view.page().asciiLines[3][12], '.');
    EXPECT_EQ(rig.view.selection(), (HexSelection{3 * 49 + 39, 1}));  // the next byte's high digit
    EXPECT_EQ(rig.Panel(1).toStdString(), CheckSumText(before + 0xA5 - 0x3C, CheckSumForm::Plain));
    EXPECT_TRUE(rig.window->windowTitle().startsWith("*"));

    QTest::keyClick(&rig.view, Qt::Key_Z, Qt::ControlModifier);
    rig.WaitIdle();
    EXPECT_EQ(rig.Byte(0x3C), 0x3C);
    EXPECT_EQ(rig.view.page().hexLines[3].substr(36, 3), "3C ");
    EXPECT_FALSE(rig.window->windowTitle().startsWith("*"));
    QTest::keyClick(&rig.view, Qt::Key_Y, Qt::ControlModifier);
    rig.WaitIdle();
    EXPECT_EQ(rig.Byte(0x3C), 0xA5);
    rig.window->action("MenuBufferUndo")->trigger();  // the Buffer menu's item does the same
    rig.WaitIdle();
    EXPECT_EQ(rig.Byte(0x3C), 0x3C);
}

TEST(HexView, ScrollingToTheEndShowsTheLastByteAndCaretKeysFollow) {
    HexViewRig rig;
    auto* bar = rig.view.findChild<QScrollBar*>("sbDownFile");
    bar->setValue(bar->maximum());
    rig.WaitIdle();
    const HexPage& page = rig.view.page();
    EXPECT_EQ(page.addressLines.back(), "0003E0 ");
    EXPECT_EQ(page.hexLines.back(), "E0 E1 E2 E3 E4 E5 E6 E7 ");  // byte 999 is reachable
    EXPECT_EQ(page.hexLines.size(), kHexPageRows);

    QTest::keyClick(&rig.view, Qt::Key_Home, Qt::ControlModifier);
    rig.WaitIdle();
    EXPECT_EQ(rig.view.page().addressLines.front(), "000000 ");
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(rig.view.selection(), (HexSelection{0, 1}));
    for (int i = 0; i < 24; ++i) QTest::keyClick(&rig.view, Qt::Key_Down);
    rig.WaitIdle();
    EXPECT_EQ(rig.view.page().addressLines.front(), "000010 ");  // the view followed one row
    EXPECT_EQ(bar->value(), 1);
}

TEST(HexView, ExitAsksBeforeUnsavedEditsAreLost) {
    HexViewRig rig;
    QTest::mouseClick(rig.Column("reDownFile"), Qt::LeftButton, {}, rig.view.HexCharPoint(0));
    QTest::keyClicks(&rig.view, "7");
    rig.WaitIdle();
    ASSERT_EQ(rig.Byte(0), 0x70);
    rig.answerYes = false;
    EXPECT_FALSE(rig.window->close());
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_TRUE(rig.messages[0].contains("Save") || rig.messages[0].contains("保存"));
    rig.answerYes = true;
    EXPECT_TRUE(rig.window->close());
}

}  // namespace
}  // namespace tq::testing
