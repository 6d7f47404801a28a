#include "core/buffer/hex_cursor.h"

#include <gtest/gtest.h>

#include "core/buffer/chip_buffer.h"
#include "core/buffer/hex_view_model.h"
#include "support/buffer_session.h"

namespace tq {
namespace {

TEST(HexLayout, MapsTextPositionsToBytesAndNibblesAndBack) {
    struct Case {
        size_t position;
        HexCursor cursor;
    };
    const Case cases[] = {
        {0, {0, Nibble::High}},   {1, {0, Nibble::Low}},     {2, {0, Nibble::Space}},
        {3, {1, Nibble::High}},   {46, {15, Nibble::Low}},   {47, {15, Nibble::Space}},
        {49, {16, Nibble::High}}, {49 * 23 + 45, {383, Nibble::High}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CursorAt(c.position), c.cursor) << c.position;
        EXPECT_EQ(TextPosition(c.cursor), c.position) << c.position;
    }
}

struct HexEditFixture : ::testing::Test {
    testing::BufferSession t;
    std::string text;

    void SetUp() override {
        t.SelectChip(256);
        for (uint32_t i = 0; i < 256; ++i) t.session.Buffer.RamFile.Data[i] = static_cast<uint8_t>(i);
        text = BuildHexPage(t.session.Buffer).HexText();
    }
    uint32_t Sum() { return CheckSum32(0, t.session.Buffer.RamFile.Data.data(), t.session.Buffer.RamFile.Data.size()); }
};

TEST_F(HexEditFixture, AClickSelectsTheDigitUnderItOrTheNextOne) {
    struct Case {
        size_t caret;
        HexSelection selected;
    };
    const Case cases[] = {
        {0, {0, 1}},
        {1, {1, 1}},
        {2, {3, 1}},    // a separating space: the next cell's high digit
        {47, {49, 1}},  // a row's trailing space: the first digit of the next row
        {48, {49, 1}},  // the line break itself
        {49 * 15 + 47, {text.size(), 0}},  // after the last digit: nothing, the view does not scroll
        {text.size() + 5, {text.size(), 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(SelectHexDigitAt(text, c.caret), c.selected) << c.caret;
}

TEST_F(HexEditFixture, TypingAThen5On3CGivesA5AndMovesToTheNextByte) {
    const uint32_t before = Sum();
    HexSelection selection = SelectHexDigitAt(text, TextPosition({0x3C, Nibble::High}));
    HexKeyResult r = ApplyHexKey(t.session.Buffer, text, selection, 'A');
    ASSERT_TRUE(r.handled);
    EXPECT_TRUE(r.byteChanged);
    EXPECT_EQ(r.offset, 0x3Cu);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x3C], 0xAC);
    EXPECT_EQ(r.selection, (HexSelection{TextPosition({0x3C, Nibble::Low}), 1}));

    r = ApplyHexKey(t.session.Buffer, text, r.selection, '5');
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x3C], 0xA5);
    EXPECT_EQ(r.selection, (HexSelection{TextPosition({0x3D, Nibble::High}), 1}));
    EXPECT_EQ(text.substr(TextPosition({0x3C, Nibble::High}), 3), "A5 ");
    EXPECT_EQ(Sum(), before + 0xA5 - 0x3C);
    EXPECT_EQ(t.CheckSumPanel(), CheckSumText(Sum()));
}

TEST_F(HexEditFixture, TheLastDigitOfARowAdvancesToTheNextRow) {
    const size_t lowOf0F = TextPosition({0x0F, Nibble::Low});
    const HexKeyResult r = ApplyHexKey(t.session.Buffer, text, {lowOf0F, 1}, 'c');  // lower case letter key
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x0F], 0x0C);
    EXPECT_EQ(text[lowOf0F], 'C');
    EXPECT_EQ(r.selection, (HexSelection{49, 1}));
}

TEST_F(HexEditFixture, KeysThatCannotEditChangeNothing) {
    const std::vector<uint8_t> before = t.session.Buffer.RamFile.Data;
    const std::string textBefore = text;
    // No selection, and keys that are not hex digits, go to the control.
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, {3, 0}, 'A').handled);
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, {3, 1}, 'G').handled);
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, {3, 1}, '\x25').handled);  // arrow key code
    // A selection on a separating space only advances (and shows the checksum).
    t.statusBar.panels[1].clear();
    HexKeyResult r = ApplyHexKey(t.session.Buffer, text, {2, 1}, '7');
    EXPECT_TRUE(r.handled);
    EXPECT_FALSE(r.byteChanged);
    EXPECT_EQ(r.selection, (HexSelection{3, 1}));
    EXPECT_EQ(t.CheckSumPanel(), "CheckSum:0x00007F80");
    // A line break or a position past the text is no digit either.
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, {48, 1}, '7').byteChanged);
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, {text.size() + 3, 1}, '7').byteChanged);
    EXPECT_EQ(t.session.Buffer.RamFile.Data, before);
    EXPECT_EQ(text, textBefore);
}

TEST_F(HexEditFixture, TheLastDigitOfThePageLeavesNothingSelected) {
    const size_t last = text.size() - 2;  // low digit of byte 0xFF, before its trailing space
    const HexKeyResult r = ApplyHexKey(t.session.Buffer, text, {last, 1}, '0');
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0xFF], 0xF0);
    EXPECT_EQ(r.selection, (HexSelection{text.size(), 0}));
    EXPECT_FALSE(ApplyHexKey(t.session.Buffer, text, r.selection, '1').handled);
}

TEST_F(HexEditFixture, AStaleTextNeverWritesBeyondTheShownBytes) {
    // The view text still shows 256 bytes, but DataLen shrank to 16.
    t.session.Buffer.RamFile.DataLen = 16;
    const HexKeyResult r = ApplyHexKey(t.session.Buffer, text, {TextPosition({0x20, Nibble::High}), 1}, 'A');
    EXPECT_FALSE(r.byteChanged);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x20], 0x20);
}

TEST_F(HexEditFixture, EditsUseViewTop) {
    t.session.Buffer.RamFile.ViewTop = 0x80;
    text = BuildHexPage(t.session.Buffer).HexText();
    ApplyHexKey(t.session.Buffer, text, {TextPosition({1, Nibble::High}), 1}, '9');
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x81], 0x91);
    EXPECT_EQ(t.session.Buffer.RamFile.Data[0x01], 0x01);
}

}  // namespace
}  // namespace tq
