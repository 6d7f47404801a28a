#include "core/buffer/hex_navigation.h"

#include <gtest/gtest.h>

#include "core/base/number_text.h"

#include "support/buffer_session.h"

namespace tq {
namespace {

struct NavigationFixture : ::testing::Test {
    testing::BufferSession t;
    BufferContext& buffer = t.session.Buffer;
    void SetUp() override {
        t.SelectChip(4096);
        buffer.RamFile.DataLen = 1000;  // the last row holds 8 bytes
    }
};

TEST_F(NavigationFixture, CaretKeysMoveByNibbleRowAndPageAndTheViewFollows) {
    struct Case {
        uint32_t from;
        bool fromLow;
        HexMove move;
        uint32_t to;
        bool toLow;
        uint32_t viewTop;
    };
    const Case cases[] = {
        {0x10, false, HexMove::Right, 0x10, true, 0},
        {0x10, true, HexMove::Right, 0x11, false, 0},
        {0x10, false, HexMove::Left, 0x0F, true, 0},
        {0x00, false, HexMove::Left, 0x00, false, 0},
        {0x05, false, HexMove::Up, 0x05, false, 0},
        {0x05, false, HexMove::Down, 0x15, false, 0},
        {0x175, false, HexMove::Down, 0x185, false, 0x10},     // one row below the page: it scrolls one row
        {0x3D8, false, HexMove::Down, 999, false, 0x270},      // the shorter last row: its last byte
        {0x25, false, HexMove::PageDown, 0x1A5, false, 0x180},
        {0x1A5, false, HexMove::PageUp, 0x25, false, 0},
        {0x25, true, HexMove::RowStart, 0x20, false, 0},
        {0x25, false, HexMove::RowEnd, 0x2F, true, 0},
        {0x25, false, HexMove::Last, 999, true, 0x270},
        {0x3E0, false, HexMove::First, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.from << " move " << int(c.move));
        buffer.RamFile.ViewTop = 0;
        PlaceHexCaret(buffer, c.from);
        buffer.HexView.caretOnLowNibble = c.fromLow;
        MoveHexCaret(buffer, c.move);
        EXPECT_EQ(buffer.HexView.caretOffset, c.to);
        EXPECT_EQ(buffer.HexView.caretOnLowNibble, c.toLow);
        EXPECT_EQ(buffer.RamFile.ViewTop, c.viewTop);
        const HexPage page = BuildHexPage(buffer);
        EXPECT_EQ(CaretSelection(buffer, page).length, 1u);  // always on the page
    }
}

TEST_F(NavigationFixture, TypingPastThePagesLastDigitScrollsOneRow) {
    PlaceHexCaret(buffer, 383);
    buffer.HexView.caretOnLowNibble = true;
    ASSERT_TRUE(TypeHexKey(buffer, '7'));
    EXPECT_EQ(buffer.HexView.caretOffset, 384u);
    EXPECT_EQ(buffer.RamFile.ViewTop, 16u);
    // At the buffer's last digit the caret has nowhere to go: digits are ignored.
    PlaceHexCaret(buffer, 999);
    buffer.HexView.caretOnLowNibble = true;
    ASSERT_TRUE(TypeHexKey(buffer, '7'));
    EXPECT_FALSE(buffer.HexView.hasCaret);
    EXPECT_FALSE(TypeHexKey(buffer, '8'));
    EXPECT_EQ(buffer.RamFile.Data[999], 0xF7);
}

TEST_F(NavigationFixture, ClicksWheelAndAGrownPage) {
    ClickHexText(buffer, 49 * 2 + 2);  // a separating space: the next cell's high digit
    EXPECT_EQ(buffer.HexView.caretOffset, 0x21u);
    ScrollHexRows(buffer, 3);
    EXPECT_EQ(buffer.RamFile.ViewTop, 48u);
    ScrollHexRows(buffer, 1000);
    EXPECT_EQ(buffer.RamFile.ViewTop, 0x270u);  // the last page ends with byte 999
    ScrollHexRows(buffer, -1000);
    EXPECT_EQ(buffer.RamFile.ViewTop, 0u);

    SetHexPageRows(buffer, 40);
    const HexPage page = BuildHexPage(buffer);
    EXPECT_EQ(page.hexLines.size(), 40u);
    EXPECT_EQ(CaretSelection(buffer, page), (HexSelection{49 * 2 + 3, 1}));
}

TEST_F(NavigationFixture, RowsAsWideAsTheViewAllowsCarryAddressesCaretAndClicks) {
    // A row holds 4 characters per byte beside the address column.
    const struct {
        uint32_t characters, rowBytes;
    } widths[] = {{0, 8}, {63, 8}, {64, 16}, {100, 24}, {128, 32}, {1000, 64}};
    for (const auto& w : widths) EXPECT_EQ(RowBytesForWidth(w.characters), w.rowBytes) << w.characters;

    for (uint32_t rowBytes : {8u, 24u, 32u}) {
        SCOPED_TRACE(rowBytes);
        buffer.RamFile.ViewTop = 0;
        PlaceHexCaret(buffer, 5);
        SetHexPageShape(buffer, 10, rowBytes);
        HexPage page = BuildHexPage(buffer);
        EXPECT_EQ(page.hexLines[0].size(), rowBytes * 3);
        EXPECT_EQ(page.addressLines[1], HexText(rowBytes, 6) + " ");
        MoveHexCaret(buffer, HexMove::Down);
        EXPECT_EQ(buffer.HexView.caretOffset, 5 + rowBytes);
        MoveHexCaret(buffer, HexMove::RowEnd);
        EXPECT_EQ(buffer.HexView.caretOffset, 2 * rowBytes - 1);
        // The second row's third byte, clicked in the hex text.
        ClickHexText(buffer, HexLineStride(rowBytes) + 2 * 3);
        EXPECT_EQ(buffer.HexView.caretOffset, rowBytes + 2);
        page = BuildHexPage(buffer);
        EXPECT_EQ(CaretSelection(buffer, page), (HexSelection{HexLineStride(rowBytes) + 6, 1}));
        ScrollHexRows(buffer, 1000);  // the last page still ends with byte 999
        EXPECT_EQ(buffer.RamFile.ViewTop % rowBytes, 0u);
        EXPECT_EQ(BuildHexPage(buffer).viewTop + BuildHexPage(buffer).shownBytes, 1000u);
    }
}

TEST_F(NavigationFixture, ShiftWithCaretKeysOrAClickSelectsAndAPlainMoveDropsIt) {
    PlaceHexCaret(buffer, 0x12);
    MoveHexCaret(buffer, HexMove::Down, true);
    EXPECT_EQ(buffer.Selection, (BufferSelection{0x12, 17}));
    MoveHexCaret(buffer, HexMove::Up, true);
    MoveHexCaret(buffer, HexMove::Left, true);
    MoveHexCaret(buffer, HexMove::Left, true);  // to the byte before: the anchor stays the far end
    EXPECT_EQ(buffer.Selection, (BufferSelection{0x11, 2}));
    ClickHexText(buffer, 49 * 3 + 4 * 3, true);
    EXPECT_EQ(buffer.Selection, (BufferSelection{0x12, 0x34 - 0x12 + 1}));
    MoveHexCaret(buffer, HexMove::Right);
    EXPECT_EQ(buffer.Selection, BufferSelection{});
    SelectWholeBuffer(buffer);
    EXPECT_EQ(buffer.Selection, (BufferSelection{0, 1000}));
}

}  // namespace
}  // namespace tq
