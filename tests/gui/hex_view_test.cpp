#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>

#include "core/app/chip_selection.h"
#include "core/buffer/chip_buffer.h"
#include "core/buffer/file_open_save.h"
#include "gui/file_edit_dialog.h"
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
    // A click on the high digit of the byte at `offset` (on the first page).
    void ClickByte(uint32_t offset, Qt::KeyboardModifiers modifiers = {}) {
        const uint32_t row = view.rowBytes();
        QTest::mouseClick(Column("reDownFile"), Qt::LeftButton, modifiers,
                          view.HexCharPoint(offset / row * HexLineStride(row) + offset % row * 3));
        WaitIdle();
    }
    // The colour behind the byte's second digit (the caret marks a first
    // digit), just below the top of its cell.
    QColor CellBackground(uint32_t offset) {
        const uint32_t row = view.rowBytes();
        const QPoint centre = view.HexCharPoint(offset / row * HexLineStride(row) + offset % row * 3 + 1);
        return Column("reDownFile")->grab().toImage().pixelColor(centre.x(), centre.y() - view.fontMetrics().height() / 2 + 1);
    }
    void Keys(int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(&view, key, modifiers);
        WaitIdle();
    }
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
    EXPECT_EQ(rig.Panel(1).toStdString(), CheckSumText(before + 0xA5 - 0x3C));
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

TEST(HexView, TheViewWithTheKeyboardIsFramedAndShowsItsCaretAtOnce) {
    HexViewRig rig;
    rig.window->show();
    QApplication::setActiveWindow(rig.window.get());
    rig.view.setFocus(Qt::TabFocusReason);
    rig.WaitIdle();
    const QColor highlight = rig.view.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(rig.view.selection(), (HexSelection{0, 1}));  // no arrow key needed
    EXPECT_EQ(rig.view.grab().toImage().pixelColor(0, 0), highlight);
    rig.window->findChild<QWidget*>("sbDownFile")->setFocus();  // the keys go elsewhere
    rig.view.clearFocus();
    EXPECT_NE(rig.view.grab().toImage().pixelColor(0, 0), highlight);
}

TEST(HexView, BytesEditedSinceTheFileAreColouredUntilUndone) {
    HexViewRig rig;
    const QColor plain = rig.CellBackground(0x3C);
    rig.ClickByte(0x3C);
    QTest::keyClicks(&rig.view, "a5");
    rig.WaitIdle();
    EXPECT_EQ(rig.view.page().changed, (std::vector<ByteRange>{{0x3C, 1}}));
    EXPECT_NE(rig.CellBackground(0x3C), plain);
    EXPECT_EQ(rig.CellBackground(0x3D), plain);
    rig.Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(rig.view.page().changed.empty());
    EXPECT_EQ(rig.CellBackground(0x3C), plain);
}

TEST(HexView, ASelectionIsCopiedAsHexTextOrBytesAndPastedOverTheBufferWithUndo) {
    HexViewRig rig;
    rig.ClickByte(0x10);
    rig.ClickByte(0x12, Qt::ShiftModifier);
    EXPECT_EQ(rig.session->Buffer.Selection, (BufferSelection{0x10, 3}));
    rig.Keys(Qt::Key_C, Qt::ControlModifier);
    QClipboard* clipboard = QApplication::clipboard();
    EXPECT_EQ(clipboard->text(), "10 11 12");
    EXPECT_FALSE(clipboard->mimeData()->hasFormat("application/octet-stream"));
    rig.Keys(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(clipboard->mimeData()->data("application/octet-stream"), QByteArray("\x10\x11\x12", 3));

    rig.ClickByte(0x40);
    rig.Keys(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rig.Byte(0x40), 0x10);
    EXPECT_EQ(rig.Byte(0x42), 0x12);
    EXPECT_EQ(rig.Byte(0x43), 0x43);
    clipboard->setText("aa 0xBB");
    rig.ClickByte(0x80);
    rig.Keys(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rig.Byte(0x80), 0xAA);
    EXPECT_EQ(rig.Byte(0x81), 0xBB);
    EXPECT_TRUE(rig.window->windowTitle().startsWith("*"));

    rig.Keys(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rig.Byte(0x80), 0x80);
    const QList<QAction*> bufferMenu = rig.window->findChild<QMenu*>("MenuBuffer")->actions();
    EXPECT_EQ(std::count_if(bufferMenu.begin(), bufferMenu.end(),
                            [](QAction* item) { return item->objectName().startsWith("MenuBufferCopy"); }),
              2);  // the menu offers both copies
    QAction* undo = rig.window->action("MenuBufferUndo");
    undo->trigger();
    rig.WaitIdle();
    EXPECT_EQ(rig.Byte(0x40), 0x40);
    EXPECT_FALSE(rig.window->windowTitle().startsWith("*"));
}

TEST(HexView, FillDropsTheFindHighlightGoToPutsTheCaretOnItsByteAndAMissIsSaid) {
    HexViewRig rig;
    auto dialog = [&](const char* command, const std::vector<QString>& fields) {
        rig.Trigger(command);
        auto* form = rig.window->findChild<gui::FileEditForm*>("TfrmFileEdit");
        for (size_t i = 0; i < fields.size(); ++i) {
            auto* field = form->findChild<QLineEdit*>(QString("lbeInputValue%1").arg(i + 1));
            field->clear();
            QTest::keyClicks(field, fields[i]);
        }
        form->findChild<QPushButton*>("btnFileInportOK")->click();
        rig.WaitIdle();
    };
    dialog("MenuBufferFind", {"4243"});
    ASSERT_EQ(rig.session->Buffer.Selection, (BufferSelection{0x42, 2}));
    dialog("MenuBufferFill", {"40", "8", "00"});
    EXPECT_EQ(rig.session->Buffer.Selection, BufferSelection{});

    dialog("MenuBufferGoto", {"2A5"});
    const uint32_t row = rig.view.rowBytes();
    EXPECT_EQ(rig.view.page().viewTop, 0x2A5 / row * row);
    EXPECT_EQ(rig.view.selection(), (HexSelection{0x2A5 % row * 3, 1}));  // the caret on the byte's first digit

    dialog("MenuBufferFind", {"4243"});  // from the view's top
    ASSERT_EQ(rig.session->Buffer.Selection, (BufferSelection{0x342, 2}));
    dialog("MenuBufferFind", {"4342"});  // counting bytes never go down
    EXPECT_EQ(rig.session->Buffer.Selection, BufferSelection{});  // the old match is not shown as this one's
    EXPECT_TRUE(rig.Panel(0).contains("43 42")) << rig.Panel(0).toStdString();
}

}  // namespace
}  // namespace tq::testing
