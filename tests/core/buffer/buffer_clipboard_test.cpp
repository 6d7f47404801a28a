#include "core/buffer/buffer_clipboard.h"

#include <gtest/gtest.h>

#include "core/buffer/buffer_tools.h"
#include "core/buffer/buffer_undo.h"
#include "core/buffer/file_open_save.h"
#include "core/buffer/hex_navigation.h"
#include "core/buffer/hex_view_model.h"
#include "support/buffer_session.h"
#include "support/expect.h"
#include "support/hex_records.h"

namespace tq {
namespace {

using testing::Counting;

struct ClipboardFixture : ::testing::Test {
    testing::BufferSession t;
    BufferContext& buffer = t.session.Buffer;
    Ram_File_Info_Struct& ram = t.session.Buffer.RamFile;

    void SetUp() override {
        t.SelectChip(1024);
        std::string error;
        ASSERT_TRUE(LoadDataFile(buffer, t.folder.Write("image.bin", Counting(0, 1000)).string(), error)) << error;
    }
};

TEST(HexBytesText, ReadsGroupsOfDigitPairsAndRefusesAnythingElse) {
    const uint8_t bytes[] = {0x12, 0xAB, 0x00};
    EXPECT_EQ(HexBytesText(bytes, 3), "12 AB 00");
    const struct {
        const char* text;
        std::optional<std::vector<uint8_t>> bytes;
    } cases[] = {
        {"12 AB 00", std::vector<uint8_t>{0x12, 0xAB, 0x00}},
        {"12ab\n0x0F,ff;\t01", std::vector<uint8_t>{0x12, 0xAB, 0x0F, 0xFF, 0x01}},
        {"", std::nullopt},
        {"  \n", std::nullopt},
        {"12 A", std::nullopt},
        {"12 G0", std::nullopt},
        {"0x", std::nullopt},
        {"hello", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexBytes(c.text), c.bytes) << c.text;
}

TEST_F(ClipboardFixture, CopyTakesTheSelectionOrTheCaretsByte) {
    EXPECT_EQ(CopySelection(buffer), std::nullopt);  // neither
    EXPECT_FALSE(t.statusBar.panels[0].empty());
    PlaceHexCaret(buffer, 0x40);
    EXPECT_EQ(CopySelection(buffer), (std::vector<uint8_t>{0x40}));
    buffer.Selection = {0x3E6, 10};  // past DataLen: only the bytes that are there
    EXPECT_EQ(CopySelection(buffer), (std::vector<uint8_t>{0xE6, 0xE7}));
    EXPECT_SAYS(t.statusBar.panels[0], "2");
}

TEST_F(ClipboardFixture, PasteOverwritesAtTheCaretAsOneUndoStepAndStopsAtTheChipsEnd) {
    PlaceHexCaret(buffer, 0x10);
    ASSERT_TRUE(PasteHexText(buffer, "DE AD BE EF"));
    EXPECT_EQ(std::vector<uint8_t>(ram.Data.begin() + 0x0F, ram.Data.begin() + 0x15),
              (std::vector<uint8_t>{0x0F, 0xDE, 0xAD, 0xBE, 0xEF, 0x14}));
    EXPECT_EQ(buffer.HexView.caretOffset, 0x14u);
    EXPECT_SAYS(t.statusBar.panels[0], "00000010");
    ASSERT_TRUE(UndoBufferEdit(buffer));
    EXPECT_EQ(ram.Data[0x10], 0x10);
    EXPECT_EQ(ram.Data[0x13], 0x13);
    EXPECT_FALSE(buffer.History.Modified());

    // Near the end of the 1024-byte chip: DataLen grows, the rest is left out and said so.
    PlaceHexCaret(buffer, 998);
    ASSERT_TRUE(PasteBytes(buffer, std::vector<uint8_t>(40, 0x5A)));
    EXPECT_EQ(ram.DataLen, 1024u);
    EXPECT_EQ(ram.Data[1023], 0x5A);
    EXPECT_SAYS(t.statusBar.panels[0], "14");  // 40 - 26 bytes left out

    EXPECT_FALSE(PasteHexText(buffer, "12 3"));
    EXPECT_EQ(t.messages.errors.size(), 1u);
}

TEST_F(ClipboardFixture, EditedBytesAreMarkedUntilSavedAndUndoneEditsAreNot) {
    PlaceHexCaret(buffer, 0x21);
    ASSERT_TRUE(PasteHexText(buffer, "00 00"));
    FillBuffer(buffer, 0x30, 3, 0x77);
    ram.ViewTop = 0;
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}, {0x30, 3}}));
    ram.ViewTop = 0x20;  // counted from the page's top
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x01, 2}, {0x10, 3}}));
    ram.ViewTop = 0;
    ASSERT_TRUE(UndoBufferEdit(buffer));
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}}));
    MarkBufferSaved(buffer);
    EXPECT_TRUE(BuildHexPage(buffer).changed.empty());
    ASSERT_TRUE(UndoBufferEdit(buffer));  // back behind the saved state: differs again
    EXPECT_EQ(BuildHexPage(buffer).changed, (std::vector<ByteRange>{{0x21, 2}}));
    SwapBufferBytePairs(buffer);
    EXPECT_EQ(BuildHexPage(buffer).changed.size(), 1u);
    EXPECT_EQ(BuildHexPage(buffer).changed[0].offset, 0u);
}

TEST_F(ClipboardFixture, FillDropsTheFindsSelectionGoToPlacesTheCaretAndAMissIsSaid) {
    buffer.Selection = {0x42, 1};  // a find's match
    ASSERT_TRUE(FillBuffer(buffer, 0x40, 8, 0));
    EXPECT_EQ(buffer.Selection, BufferSelection{});

    ASSERT_TRUE(JumpBuffer(buffer, 0x123));
    EXPECT_TRUE(buffer.HexView.hasCaret);
    EXPECT_EQ(buffer.HexView.caretOffset, 0x123u);
    EXPECT_EQ(ram.ViewTop, 0x120u);

    ram.FindPattern[0] = 0x42;
    ram.FindPattern[1] = 0x41;  // counting bytes never go down
    ram.FindLen = 2;
    EXPECT_EQ(FindPatternFromView(buffer), std::nullopt);
    EXPECT_SAYS(t.statusBar.panels[0], "42 41");
}

}  // namespace
}  // namespace tq
